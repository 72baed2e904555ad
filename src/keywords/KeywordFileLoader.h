#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// Feeds the result list without freezing the window. The whole-text work (reading and decoding
// word.txt, filtering a large list) runs on Qt's thread pool; its lines are then handed over at once.
// Stopping, or destroying the loader, drops whatever is still to come.
class KeywordFileLoader : public QObject
{
    Q_OBJECT

public:
    // The lines as UTF-8, each followed by "\n".
    using Sink = std::function<void(QByteArray lines)>;
    using Producer = std::function<QByteArray()>;

    explicit KeywordFileLoader(Sink sink, QObject* parent = nullptr);

    // Loads word.txt: every field followed by a line end.
    void start(const QString& path);
    // Runs produce off the GUI thread and feeds the lines it returns.
    void run(Producer produce);
    // Drops the rest: nothing more is handed over, and finished() follows.
    void stop();
    bool isRunning() const { return m_running; }
    // The last run ran out of memory: nothing was handed over.
    bool ranOutOfMemory() const { return m_outOfMemory; }

    // The fields of word.txt, each followed by "\n".
    static QString fieldLines(QStringView fileText);
    // word.txt as the list shows it; a file that cannot be opened or read gives nothing.
    static QString readFieldLines(const QString& path);

    // word.txt as the upload sends it: every field followed by "|*|".
    struct UploadList
    {
        bool exists = false;
        QString error; // why an existing file could not be read
        QString joined;
        // The first line the service would cut where it splits the list, and its number from 1.
        QString splitLine;
        qsizetype splitLineNumber = 0;
    };
    static UploadList readUploadList(const QString& path);

signals:
    void finished();

private:
    void finish();

    Sink m_sink;
    bool m_outOfMemory = false;
    bool m_running = false;
    bool m_stopped = false;
};
