#include "keywords/SearchClock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class QtSearchTimer final : public SearchTimer
{
public:
    explicit QtSearchTimer(std::function<void()> timeout)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(timeout));
    }
    void start(std::chrono::milliseconds delay) override { m_timer.start(delay); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemClock final : public SearchClock
{
public:
    SystemClock() { m_elapsed.start(); }
    qint64 now() const override { return m_elapsed.elapsed(); }
    QDateTime wallTime() const override { return QDateTime::currentDateTime(); }
    std::unique_ptr<SearchTimer> timer(std::function<void()> timeout) override
    {
        return std::make_unique<QtSearchTimer>(std::move(timeout));
    }

private:
    QElapsedTimer m_elapsed;
};

} // namespace

SearchClock& SearchClock::system()
{
    static SystemClock clock;
    return clock;
}
