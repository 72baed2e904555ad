#pragma once

#include "miner/MinerOptions.h"

#include <QObject>
#include <QStringList>
#include <memory>

class KeywordFetcher;
class LongTailSearch;
class QLockFile;
class QSocketNotifier;
class QTimer;

// The long-tail search without a window: seeds from a file or the store, the list of word.txt with
// what is found put on top, progress on standard error, and the result in word.txt or another file.
class KeywordMiner : public QObject
{
    Q_OBJECT

public:
    enum ExitStatus
    {
        Ended = 0,
        BadArguments = 2,
        EverySourceBlocked = 3,
        EverySourceUnreadable = 4,
    };

    explicit KeywordMiner(MinerOptions options, QObject* parent = nullptr);
    ~KeywordMiner() override;

    // Starts the run; false (with the reason on standard error) when it cannot start.
    bool start();
    // Ends the run as a signal does: what was found is kept.
    void interrupt();
    // SIGINT and SIGTERM end the run through interrupt().
    void handleTerminationSignals();

signals:
    void done(int exitStatus);

private:
    bool readSeeds(QStringList* seeds);
    QString listText() const;
    void insert(const QStringList& keywords);
    void showProgress(bool force = false);
    void writeRecovery();
    void finish();
    void searchEnded(int end);

    MinerOptions m_options;
    std::unique_ptr<KeywordFetcher> m_fetcher;
    LongTailSearch* m_search = nullptr;
    QTimer* m_deadline = nullptr;
    int m_exitStatus = Ended;
    QSocketNotifier* m_signals = nullptr;
    std::unique_ptr<QLockFile> m_listLock;
    QString m_originalList;
    QStringList m_found; // in the order found
    bool m_toTerminal = false;
    qint64 m_lastLine = 0;
    QString m_lastText;
    bool m_finished = false;
};
