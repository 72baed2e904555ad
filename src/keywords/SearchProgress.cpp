#include "keywords/SearchProgress.h"

std::chrono::milliseconds SearchBackoff::next()
{
    static constexpr int kSteps[] = {1, 2, 4, 8, 16, 30};
    const int step = kSteps[std::min<int>(m_step, std::size(kSteps) - 1)];
    ++m_step;
    return m_unit * step;
}

void SearchProgress::startPass(int pass, qsizetype seeds, qint64 now)
{
    m_pass = pass;
    m_seeds = seeds;
    m_done = 0;
    m_added = 0;
    m_passStart = now;
}

void SearchProgress::seedDone(qsizetype added, qint64 now)
{
    Q_UNUSED(now);
    ++m_done;
    m_added += added;
}

void SearchProgress::requestSent(qint64 now)
{
    m_requests.push_back(now);
    while (m_requests.front() < now - 60000)
        m_requests.pop_front();
}

QString SearchProgress::duration(qint64 milliseconds)
{
    const qint64 seconds = std::max<qint64>(0, (milliseconds + 999) / 1000);
    if (seconds >= 3600)
        return QStringLiteral("%1小时%2分").arg(seconds / 3600).arg(seconds % 3600 / 60);
    if (seconds >= 60)
        return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1秒").arg(seconds);
}

QString SearchProgress::runningText(qsizetype seedIndex, qint64 now) const
{
    while (!m_requests.empty() && m_requests.front() < now - 60000)
        m_requests.pop_front();
    if (m_seeds == 0)
        return QStringLiteral("第%1轮：没有可搜索的词，等待中").arg(m_pass);
    const QString left = m_done == 0 ? QStringLiteral("本轮剩余时间估算中")
                                     : u"本轮约剩" + duration((now - m_passStart) * (m_seeds - m_done) / m_done);
    return QStringLiteral("第%1轮：第%2/%3个词，本轮新增%4个，每分钟%5次请求，%6")
        .arg(m_pass)
        .arg(std::min(seedIndex + 1, m_seeds))
        .arg(m_seeds)
        .arg(m_added)
        .arg(m_requests.size())
        .arg(left);
}

QString SearchProgress::shortText(qsizetype seedIndex) const
{
    if (m_seeds == 0)
        return QStringLiteral("第%1轮，等待中").arg(m_pass);
    return QStringLiteral("第%1轮 %2/%3，新增%4")
        .arg(m_pass)
        .arg(std::min(seedIndex + 1, m_seeds))
        .arg(m_seeds)
        .arg(m_added);
}

QString SearchProgress::stoppedText() const
{
    if (m_pass == 0)
        return QStringLiteral("已停止");
    return QStringLiteral("已停止（第%1轮，本轮新增%2个）").arg(m_pass).arg(m_added);
}

QString SearchProgress::pausedText(const QString& reason, qint64 millisecondsLeft)
{
    return QStringLiteral("已暂停：%1，%2后再试").arg(reason, duration(millisecondsLeft));
}
