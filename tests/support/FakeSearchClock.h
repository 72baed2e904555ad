#pragma once

#include "keywords/KeywordFetcher.h"
#include "keywords/SearchClock.h"

#include <QPointer>
#include <QUrl>
#include <algorithm>
#include <vector>

// A clock that moves only when the test moves it: every timer that falls due fires, in order, at its
// own moment.
class FakeSearchClock final : public SearchClock
{
public:
    qint64 now() const override { return m_now; }
    QDateTime wallTime() const override { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)).addMSecs(m_now); }
    std::unique_ptr<SearchTimer> timer(std::function<void()> timeout) override
    {
        return std::make_unique<Timer>(this, std::move(timeout));
    }

    // Moves on by milliseconds.
    void advance(qint64 milliseconds)
    {
        const qint64 end = m_now + milliseconds;
        runUntil([] { return false; }, end);
        m_now = end;
    }
    // Moves on until done() holds, at most limit milliseconds; whether it holds.
    template <typename Done> bool advanceUntil(Done done, qint64 limit = 3600000)
    {
        return runUntil(done, m_now + limit);
    }

private:
    struct Timer final : SearchTimer
    {
        Timer(FakeSearchClock* clock, std::function<void()> timeout) : clock(clock), timeout(std::move(timeout))
        {
            clock->m_timers.push_back(this);
        }
        ~Timer() override { std::erase(clock->m_timers, this); }
        void start(std::chrono::milliseconds delay) override
        {
            due = clock->m_now + delay.count();
            order = ++clock->m_started;
        }
        void stop() override { due = -1; }
        bool isActive() const override { return due >= 0; }

        FakeSearchClock* clock;
        std::function<void()> timeout;
        qint64 due = -1;
        quint64 order = 0;
    };

    template <typename Done> bool runUntil(Done done, qint64 end)
    {
        while (!done()) {
            Timer* next = nextDue(end);
            if (!next)
                return false;
            m_now = next->due;
            next->due = -1;
            next->timeout();
        }
        return true;
    }
    // The earliest timer due by end; of two due at once, the one started first.
    Timer* nextDue(qint64 end) const
    {
        Timer* next = nullptr;
        for (Timer* timer : m_timers) {
            if (timer->due >= 0 && timer->due <= end &&
                (!next || std::pair(timer->due, timer->order) < std::pair(next->due, next->order)))
                next = timer;
        }
        return next;
    }

    qint64 m_now = 0;
    quint64 m_started = 0;
    std::vector<Timer*> m_timers;
};

// Answers the search's requests on the fake clock: with what respond() makes of the address, after
// what delay() says, or, while held, not before release().
class FakeKeywordFetcher final : public KeywordFetcher
{
public:
    struct Asked
    {
        QUrl url;
        QString referer;
        qint64 at = 0;
        QUrl proxy;
    };

    explicit FakeKeywordFetcher(FakeSearchClock& clock) : m_clock(clock) {}

    void fetch(const SourceRequest& request, QObject* context, std::function<void(const FetchReply&)> done) override
    {
        const QUrl url = QUrl::fromEncoded(request.url.toUtf8());
        asked.push_back({url, request.referer, m_clock.now(), request.proxy});
        FetchReply reply = respond ? respond(url) : FetchReply{};
        reply.requested = url;
        if (!reply.finalUrl.isValid())
            reply.finalUrl = url;
        auto pending = std::make_shared<Pending>();
        pending->context = context;
        pending->deliver = [done, reply] { done(reply); };
        pending->timer = m_clock.timer([this, weak = std::weak_ptr(pending)] {
            if (const auto alive = weak.lock())
                deliver(alive);
        });
        m_pending.push_back(pending);
        if (!held)
            pending->timer->start(std::chrono::milliseconds(delay ? delay(url) : 0));
    }
    // Held replies go out now.
    void release()
    {
        held = false;
        for (const auto& pending : std::vector(m_pending))
            pending->timer->start(std::chrono::milliseconds(0));
        m_clock.advance(0);
    }
    qsizetype inFlight() const { return qsizetype(m_pending.size()); }

    std::function<FetchReply(const QUrl&)> respond;
    std::function<qint64(const QUrl&)> delay;
    bool held = false;
    std::vector<Asked> asked;
    int delivered = 0; // replies handed to a requester still there

private:
    struct Pending
    {
        QPointer<QObject> context;
        std::function<void()> deliver;
        std::unique_ptr<SearchTimer> timer;
    };
    void deliver(const std::shared_ptr<Pending>& pending)
    {
        std::erase(m_pending, pending);
        if (pending->context) {
            ++delivered;
            pending->deliver();
        }
    }

    FakeSearchClock& m_clock;
    std::vector<std::shared_ptr<Pending>> m_pending;
};
