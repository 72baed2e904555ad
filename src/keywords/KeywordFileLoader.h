#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <thread>

// Feeds the result list without freezing the window. word.txt is read, decoded and split into fields
// on a worker thread; the lines are then handed over in slices small enough for the text box to take
// in a few milliseconds, so the window keeps handling input (and closing) between slices.
class KeywordFileLoader : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<void(QStringView lines)>;

    explicit KeywordFileLoader(Sink sink, QObject* parent = nullptr);
    ~KeywordFileLoader() override;

    // Loads word.txt: every field followed by a line end.
    void start(const QString& path);
    // Feeds lines that are already at hand (each followed by "\n").
    void feed(QString lines);
    // Stops after the current slice; nothing more is handed over.
    void stop();
    bool isRunning() const { return m_running; }

    // The fields of word.txt, each followed by "\n".
    static QString fieldLines(QStringView fileText);

signals:
    void finished();

private:
    void nextSlice();

    Sink m_sink;
    std::thread m_worker;
    std::atomic<bool> m_stopped{false};
    bool m_running = false;
    QString m_lines;
    qsizetype m_position = 0;
};
