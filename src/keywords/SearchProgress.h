#pragma once

#include <QString>
#include <chrono>
#include <deque>

// How long a blocked search waits before it tries the same seed again: 1, 2, 4, 8, 16 and then 30
// units (a unit is a minute; tests make it shorter). A good reply starts it over.
class SearchBackoff
{
public:
    explicit SearchBackoff(std::chrono::milliseconds unit = std::chrono::minutes(1)) : m_unit(unit) {}

    std::chrono::milliseconds next();
    void reset() { m_step = 0; }

private:
    std::chrono::milliseconds m_unit;
    int m_step = 0;
};

// What the status line of a running search says: where the pass stands, how fast requests go, and how
// long the pass has left. Times are milliseconds of one steady clock, handed in by the caller.
class SearchProgress
{
public:
    void startPass(int pass, qsizetype seeds, qint64 now);
    void seedDone(qsizetype added, qint64 now);
    void requestSent(qint64 now);

    int pass() const { return m_pass; }
    qsizetype added() const { return m_added; }

    QString runningText(qsizetype seedIndex, qint64 now) const;
    // The same in a few words, for one source among several.
    QString shortText(qsizetype seedIndex) const;
    QString stoppedText() const;
    static QString pausedText(const QString& reason, qint64 millisecondsLeft);
    static QString duration(qint64 milliseconds);

private:
    int m_pass = 0;
    qsizetype m_seeds = 0;
    qsizetype m_done = 0;
    qsizetype m_added = 0;
    qint64 m_passStart = 0;
    mutable std::deque<qint64> m_requests; // the last minute's
};
