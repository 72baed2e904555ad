#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <cstdio>

// Small helpers shared by the benchmarks: resident memory and timing a standard tool on the same work.
namespace Bench {

inline long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Runs a shell command and returns its wall time in milliseconds (-1 when it could not run).
inline double timeCommand(const QString& command)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

inline void report(const char* what, double ours, const char* unit, const char* tool, double theirs,
                   const char* theirUnit = nullptr)
{
    std::printf("%-48s %10.2f %-4s | %-36s %10.2f %s\n", what, ours, unit, tool, theirs, theirUnit ? theirUnit : unit);
    std::fflush(stdout);
}

// The longest gap between two ticks of a 1 ms timer while it runs: the longest the event loop was held up.
class StallProbe
{
public:
    StallProbe()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_gap.isValid())
                m_longest = std::max(m_longest, m_gap.nsecsElapsed() / 1e6);
            m_gap.start();
        });
    }
    void start() { m_timer.start(1); }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_gap;
    double m_longest = 0;
};

} // namespace Bench
