#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <memory>

// A one-shot timer of a SearchClock.
class SearchTimer
{
public:
    virtual ~SearchTimer() = default;
    virtual void start(std::chrono::milliseconds delay) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Time as the long-tail search sees it: a steady clock in milliseconds, the wall time keywords are
// stamped with, and one-shot timers. The search takes it from its owner, so that tests can run minutes
// of pacing and back-off in no time by moving a clock of their own.
class SearchClock
{
public:
    virtual ~SearchClock() = default;
    virtual qint64 now() const = 0;
    virtual QDateTime wallTime() const = 0;
    // The timer calls timeout on this thread; it is stopped when destroyed.
    virtual std::unique_ptr<SearchTimer> timer(std::function<void()> timeout) = 0;

    // Qt's timers and the process's steady clock.
    static SearchClock& system();
};
