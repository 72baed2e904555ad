#include "keywords/LongTailSearch.h"

#include "base/TextRules.h"
#include "keywords/KeywordFetcher.h"
#include "keywords/KeywordRules.h"
#include "keywords/KeywordSource.h"
#include "keywords/SearchClock.h"
#include "keywords/SearchReply.h"
#include "keywords/UnreadPages.h"

struct LongTailSearch::Lane
{
    size_t index = 0;
    const KeywordSource* source = nullptr; // null: the owner names one for every seed
    SeedList seeds;
    qsizetype position = 0;
    qsizetype expansion = 0; // 0: the seed itself; n: its n-th expansion
    int pass = 0;
    int passesCompleted = 0;
    std::unique_ptr<SearchTimer> stepTimer;
    std::unique_ptr<SearchTimer> retryTimer;
    SearchBackoff backoff;
    SearchProgress progress;
    int networkFailures = 0; // in a row
    bool paused = false;
    QString pauseReason;
    qint64 resumeAt = 0;
    bool waitingForList = false;
    bool done = false;
    bool nothingNew = false;
    // Answers in a row that held nothing the source reads; past the settings' number it is set aside.
    int unreadableRun = 0;
    bool setAside = false;
    QString setAsideText;
    // For the count of source and seed pairs: whether the source had answered the seed before this round
    // of it, and the keywords this round has counted (its expansions suggest many of them again).
    bool pairSeenBefore = false;
    QStringList counted; // a list, emptied in place: no allocation per seed once it has grown
    // With proxies: the one asked through, and per proxy this source's back-off and when it may ask
    // through it again.
    qsizetype proxy = -1;
    struct ProxyTurn
    {
        SearchBackoff backoff;
        qint64 blockedUntil = 0;
    };
    std::vector<ProxyTurn> proxyTurns;
};

LongTailSearch::LongTailSearch(SearchClock& clock, KeywordFetcher& fetcher, QObject* parent)
    : QObject(parent), m_clock(clock), m_fetcher(fetcher)
{
    m_statusTimer = m_clock.timer([this] {
        m_statusTimer->start(m_pacing.status);
        emit statusChanged();
    });
    m_recoveryTimer = m_clock.timer([this] {
        m_recoveryTimer->start(m_pacing.recovery);
        emit recoveryDue();
    });
    m_giveUpTimer = m_clock.timer([this] {
        if (!m_running || anyLaneAsking())
            return;
        if (m_clock.now() - m_lastAnswer >= m_giveUpAfter.count())
            finish(End::GaveUp);
        else
            armGiveUp();
    });
}

LongTailSearch::~LongTailSearch() = default;

void LongTailSearch::setSettings(const SearchSettings& settings)
{
    m_settings = settings;
    m_settings.afterSeed = std::max(m_settings.afterSeed, SearchSettings::minimumAfterSeed());
    m_filter = m_settings.filter();
    m_expansions = m_settings.expansions();
}

LongTailSearch::Lane& LongTailSearch::addLane(const KeywordSource* source)
{
    auto lane = std::make_unique<Lane>();
    Lane* raw = lane.get();
    lane->index = m_lanes.size();
    lane->source = source;
    lane->backoff = SearchBackoff(m_pacing.backoffUnit);
    lane->stepTimer = m_clock.timer([this, raw] { step(*raw); });
    lane->retryTimer = m_clock.timer([this, raw] { resume(*raw); });
    m_lanes.push_back(std::move(lane));
    return *raw;
}

void LongTailSearch::start(const QStringList& tableSeeds)
{
    stop();
    m_lanes.clear();
    m_records.startRun();
    m_endedWithNothingNew = false;
    m_running = true;
    ++m_run;
    // The seeds are searched from the highest id to the lowest.
    QStringList seeds(tableSeeds.crbegin(), tableSeeds.crend());
    if (m_settings.sources.isEmpty())
        addLane(nullptr);
    for (const QString& name : std::as_const(m_settings.sources)) {
        if (const KeywordSource* source = KeywordSource::find(name))
            addLane(source);
    }
    // The proxies, like the sources, are those of the start.
    m_proxies = m_settings.proxies;
    m_proxyHealth.assign(size_t(m_proxies.size()), {});
    for (const auto& lane : m_lanes) {
        lane->proxy = m_proxies.isEmpty() ? -1 : 0;
        lane->proxyTurns.assign(size_t(m_proxies.size()), {SearchBackoff(m_pacing.backoffUnit), 0});
        lane->seeds.setList(seeds);
        lane->pass = 1;
        lane->progress.startPass(1, lane->seeds.size(), m_clock.now());
        lane->stepTimer->start(m_pacing.beforePass);
    }
    m_lastAnswer = m_clock.now();
    m_statusTimer->start(m_pacing.status);
    m_recoveryTimer->start(m_pacing.recovery);
    emit statusChanged();
}

void LongTailSearch::stop()
{
    if (!m_running)
        return;
    m_running = false;
    ++m_run; // a fetch under way still hands over its keywords, but starts nothing
    for (const auto& lane : m_lanes) {
        lane->stepTimer->stop();
        lane->retryTimer->stop();
        lane->waitingForList = false;
    }
    m_statusTimer->stop();
    m_recoveryTimer->stop();
    m_giveUpTimer->stop();
    emit statusChanged();
}

void LongTailSearch::listSettled()
{
    for (const auto& lane : m_lanes) {
        if (m_running && lane->waitingForList) {
            lane->waitingForList = false;
            StartNextPass(*lane);
        }
    }
}

void LongTailSearch::step(Lane& lane)
{
    emit stepStarted();
    if (lane.position < lane.seeds.size())
        SearchNextWord(lane);
    else
        StartNextPass(lane);
}

void LongTailSearch::StartNextPass(Lane& lane)
{
    lane.passesCompleted = lane.pass;
    if (m_maxPasses > 0 && lane.pass >= m_maxPasses) {
        lane.done = true;
        checkEnd();
        return;
    }
    // A pass takes its seeds from the whole list, never from one still being read in or refilled.
    std::optional<QString> list = listText ? listText() : QString();
    if (!list) {
        lane.waitingForList = true;
        return;
    }
    lane.seeds.setPass(std::move(*list));
    if (m_settings.skipAsked || m_settings.depth > 0) {
        const KeywordSource* source = sourceFor(lane);
        lane.seeds.removeIf([this, source](QStringView seed) {
            const QString word = TextRules::trimmed(seed);
            return !word.isEmpty() && source && shouldSkip(*source, word);
        });
    }
    if (m_settings.skipAsked && lane.seeds.size() == 0) {
        lane.done = true;
        lane.nothingNew = true;
        checkEnd();
        return;
    }
    lane.position = 0;
    lane.expansion = 0;
    ++lane.pass;
    lane.progress.startPass(lane.pass, lane.seeds.size(), m_clock.now());
    lane.stepTimer->start(m_pacing.beforePass);
    emit statusChanged();
}

const KeywordSource* LongTailSearch::sourceFor(const Lane& lane) const
{
    if (lane.source)
        return lane.source;
    const KeywordSource* chosen = classicSource ? KeywordSource::find(classicSource()) : nullptr;
    return chosen ? chosen : &KeywordSource::all().first();
}

bool LongTailSearch::wasAsked(const KeywordSource& source, const QString& seed) const
{
    return m_records.askedThisRun(KeywordSource::indexOf(source), seed);
}

bool LongTailSearch::shouldSkip(const KeywordSource& source, const QString& seed) const
{
    if (m_settings.skipAsked && wasAsked(source, seed))
        return true;
    return m_settings.depth > 0 && m_records.passOf(seed) >= m_settings.depth;
}

qsizetype LongTailSearch::nextExpansion(const KeywordSource& source, const QString& seed, qsizetype from) const
{
    if (seed.isEmpty() || !source.suggests())
        return 0;
    for (qsizetype n = from; n <= m_expansions.size(); ++n) {
        if (!wasAsked(source, SearchSettings::expandedQuery(seed, m_expansions[n - 1])))
            return n;
    }
    return 0;
}

void LongTailSearch::SearchNextWord(Lane& lane)
{
    const KeywordSource* source = sourceFor(lane);
    // Seeds asked already or found too deep are passed over at once; a blank one takes its rest.
    while (lane.position < lane.seeds.size()) {
        const QString seed = TextRules::trimmed(lane.seeds.at(lane.position));
        if (seed.isEmpty()) {
            seedDone(lane);
            return;
        }
        if (lane.expansion > 0) {
            if (lane.expansion <= m_expansions.size()) {
                ask(lane, *source, seed, m_expansions[lane.expansion - 1]);
                return;
            }
            // The settings changed under the seed: it has had its expansions.
            ++lane.position;
            lane.expansion = 0;
            continue;
        }
        if (!shouldSkip(*source, seed)) {
            lane.expansion = 0;
            // Asked in this run, or in an earlier one: the pair has counted what it suggested then.
            lane.pairSeenBefore = m_records.askedBefore(KeywordSource::indexOf(*source), seed);
            lane.counted.clear();
            ask(lane, *source, seed, {});
            return;
        }
        ++lane.position;
        lane.expansion = 0;
    }
    StartNextPass(lane);
}

void LongTailSearch::ask(Lane& lane, const KeywordSource& source, const QString& seed, const QString& expansion)
{
    // Another lane may have set this one's proxy aside meanwhile.
    if (lane.proxy >= 0 && m_proxyHealth[size_t(lane.proxy)].setAside && !switchProxy(lane)) {
        pause(lane, QStringLiteral("没有可用的代理"));
        return;
    }
    lane.progress.requestSent(m_clock.now());
    const QString query = expansion.isEmpty() ? seed : SearchSettings::expandedQuery(seed, expansion);
    SourceRequest request = source.request(m_settings.host(source), query);
    request.timeout = m_settings.fetchTimeout;
    if (lane.proxy >= 0)
        request.proxy = m_proxies[lane.proxy];
    m_fetcher.fetch(request, this,
                    [this, run = m_run, index = lane.index, &source, seed, expansion, query, pass = lane.pass,
                     proxy = lane.proxy](const FetchReply& reply) {
                        handleReply(run, index, source, {seed, expansion, query, proxy}, pass, reply);
                    });
}

void LongTailSearch::handleReply(int run, size_t index, const KeywordSource& source, const Query& asked, int pass,
                                 const FetchReply& reply)
{
    const bool current = run == m_run && m_running && index < m_lanes.size();
    Lane* lane = current ? m_lanes[index].get() : nullptr;
    const ReplyCheck check = source.check(reply);
    if (check.verdict == ReplyCheck::Verdict::Blocked) {
        // Nothing of a verification page is a keyword; the same seed is tried again later, or at once
        // through another proxy.
        if (lane)
            blocked(*lane, asked.proxy, check.reason);
        return;
    }
    if (check.verdict == ReplyCheck::Verdict::ProxyFailure) {
        if (lane)
            proxyFailed(*lane, asked.proxy);
        return;
    }
    if (check.verdict == ReplyCheck::Verdict::NetworkFailure) {
        if (lane && ++lane->networkFailures >= kNetworkFailuresBeforePause) {
            pause(*lane, check.reason);
            return;
        }
    } else {
        m_lastAnswer = m_clock.now();
    }
    if (check.verdict == ReplyCheck::Verdict::Answer && lane) {
        lane->networkFailures = 0;
        lane->backoff.reset();
        if (asked.proxy >= 0) {
            m_proxyHealth[size_t(asked.proxy)].failures = 0;
            lane->proxyTurns[size_t(asked.proxy)].backoff.reset();
        }
        m_records.markAsked(KeywordSource::indexOf(source), asked.text, asked.seed);
    }
    const SourceWords read = source.read(reply);
    if (check.verdict == ReplyCheck::Verdict::Answer && read.results)
        m_records.setResults(source.resultEngine(), asked.text, *read.results);
    if (lane && !read.readable && unreadable(*lane, source, reply))
        return;
    if (lane && read.readable)
        lane->unreadableRun = 0;
    QStringList keywords;
    const QDateTime now = m_clock.wallTime();
    const QStringList& pieces = read.words;
    for (const QString& piece : pieces.first(std::min(pieces.size(), KeywordRules::kMaxKeywordsPerReply))) {
        const QString keyword = TextRules::trimmed(piece);
        if (!KeywordRules::isInsertable(keyword) || !m_filter.allows(keyword, asked.seed))
            continue;
        keywords.append(keyword);
        if (keyword.isEmpty())
            continue;
        const bool added = m_records.add(keyword, {asked.seed, source.name, pass, now, asked.expansion});
        // A pair counts once however many of its expansions, or passes, suggest the keyword.
        if (lane && (added || !lane->pairSeenBefore) && !lane->counted.contains(keyword)) {
            if (!added)
                m_records.countAgain(keyword);
            lane->counted.append(keyword);
        }
    }
    if (!keywords.isEmpty())
        emit found(keywords);
    if (lane) {
        lane->progress.seedDone(keywords.size(), m_clock.now());
        seedDone(*lane);
    }
}

void LongTailSearch::seedDone(Lane& lane)
{
    // A suggestion source goes on to the seed's next expansion it has not asked; then to the next seed.
    const QString seed =
        lane.position < lane.seeds.size() ? TextRules::trimmed(lane.seeds.at(lane.position)) : QString();
    lane.expansion = nextExpansion(*sourceFor(lane), seed, lane.expansion + 1);
    if (lane.expansion == 0)
        ++lane.position;
    emit statusChanged();
    lane.stepTimer->start(m_pacing.afterSeed.count() > 0 ? m_pacing.afterSeed : m_settings.afterSeed);
}

bool LongTailSearch::switchProxy(Lane& lane)
{
    const qsizetype count = m_proxies.size();
    for (qsizetype step = 1; step <= count; ++step) {
        const qsizetype next = (lane.proxy + step) % count;
        if (!m_proxyHealth[size_t(next)].setAside && lane.proxyTurns[size_t(next)].blockedUntil <= m_clock.now()) {
            lane.proxy = next;
            return true;
        }
    }
    return false;
}

void LongTailSearch::blocked(Lane& lane, qsizetype proxy, const QString& reason)
{
    if (proxy < 0) {
        pause(lane, reason);
        return;
    }
    // The back-off belongs to the source and the proxy; the lane asks on at once through another one, and
    // waits only when every proxy is blocked, until the first of them may be asked again.
    Lane::ProxyTurn& turn = lane.proxyTurns[size_t(proxy)];
    turn.blockedUntil = m_clock.now() + turn.backoff.next().count();
    if (switchProxy(lane)) {
        lane.stepTimer->start(std::chrono::milliseconds(0));
        return;
    }
    qint64 first = -1;
    for (size_t i = 0; i < lane.proxyTurns.size(); ++i) {
        if (!m_proxyHealth[i].setAside && (first < 0 || lane.proxyTurns[i].blockedUntil < first))
            first = lane.proxyTurns[i].blockedUntil;
    }
    pause(lane, reason,
          first < 0 ? std::nullopt
                    : std::optional(std::chrono::milliseconds(std::max<qint64>(0, first - m_clock.now()))));
}

void LongTailSearch::proxyFailed(Lane& lane, qsizetype proxy)
{
    ProxyHealth& health = m_proxyHealth[size_t(proxy)];
    if (++health.failures >= kProxyFailuresBeforeSetAside)
        health.setAside = true;
    if (health.setAside && !switchProxy(lane)) {
        pause(lane, QStringLiteral("没有可用的代理"));
        return;
    }
    // The same seed again, after the rest, through the same proxy or the next one.
    emit statusChanged();
    lane.stepTimer->start(m_pacing.afterSeed.count() > 0 ? m_pacing.afterSeed : m_settings.afterSeed);
}

void LongTailSearch::pause(Lane& lane, const QString& reason, std::optional<std::chrono::milliseconds> until)
{
    lane.paused = true;
    lane.pauseReason = reason;
    emit recoveryDue();
    const std::chrono::milliseconds wait = until ? *until : lane.backoff.next();
    lane.resumeAt = m_clock.now() + wait.count();
    lane.retryTimer->start(wait);
    emit statusChanged();
    armGiveUp();
    if (m_maxPasses > 0)
        checkEnd();
}

bool LongTailSearch::unreadable(Lane& lane, const KeywordSource& source, const FetchReply& reply)
{
    // Only answers count: an error page or an empty reply says nothing of the markup.
    if (reply.status / 100 != 2 || m_settings.unreadable <= 0 || ++lane.unreadableRun < m_settings.unreadable)
        return false;
    const QString kept = UnreadPages::keep(m_unreadFolder, source.name, m_clock.wallTime(), reply.body);
    lane.setAside = true;
    lane.done = true;
    lane.stepTimer->stop();
    lane.retryTimer->stop();
    lane.setAsideText =
        QStringLiteral("已停用：连续%1个页面里没有它要读的内容，网页可能已改版；").arg(lane.unreadableRun) +
        (kept.isEmpty() ? QStringLiteral("最后一页没能保存") : u"最后一页存于 " + kept);
    emit sourceSetAside(source.caption + u"（" + source.name + u"）" + lane.setAsideText);
    emit statusChanged();
    armGiveUp();
    checkEnd();
    return true;
}

bool LongTailSearch::anyLaneAsking() const
{
    for (const auto& lane : m_lanes) {
        if (!lane->paused && !lane->done)
            return true;
    }
    return false;
}

void LongTailSearch::armGiveUp()
{
    if (!m_running || m_giveUpAfter.count() <= 0 || anyLaneAsking())
        return;
    m_giveUpTimer->start(
        std::chrono::milliseconds(std::max<qint64>(0, m_lastAnswer + m_giveUpAfter.count() - m_clock.now())));
}

void LongTailSearch::resume(Lane& lane)
{
    if (!m_running || !lane.paused)
        return;
    lane.paused = false;
    if (lane.proxy >= 0 && !switchProxy(lane) && m_proxyHealth[size_t(lane.proxy)].setAside) {
        pause(lane, QStringLiteral("没有可用的代理"));
        return;
    }
    emit statusChanged();
    SearchNextWord(lane); // the seed that was refused, again
}

void LongTailSearch::checkEnd()
{
    if (!m_running)
        return;
    bool allDone = true;
    bool anyDone = false;
    bool allDoneOrPaused = true;
    for (const auto& lane : m_lanes) {
        allDone = allDone && lane->done;
        anyDone = anyDone || lane->done;
        allDoneOrPaused = allDoneOrPaused && (lane->done || lane->paused);
    }
    bool nothingNew = true;
    bool everyOneSetAside = true;
    for (const auto& lane : m_lanes) {
        nothingNew = nothingNew && lane->nothingNew;
        everyOneSetAside = everyOneSetAside && lane->setAside;
    }
    if (everyOneSetAside)
        finish(End::Unreadable);
    else if (allDone && nothingNew)
        finish(End::NothingNew);
    else if (m_maxPasses > 0 && anyDone && allDoneOrPaused)
        finish(End::PassesDone);
    else if (allDone)
        finish(End::PassesDone);
}

void LongTailSearch::finish(End end)
{
    m_endedWithNothingNew = end == End::NothingNew;
    stop();
    emit finished(end);
}

bool LongTailSearch::everySourcePaused() const
{
    for (const auto& lane : m_lanes) {
        if (!lane->paused)
            return false;
    }
    return true;
}

int LongTailSearch::passesCompleted() const
{
    int least = -1;
    for (const auto& lane : m_lanes)
        least = least < 0 ? lane->passesCompleted : std::min(least, lane->passesCompleted);
    return std::max(least, 0);
}

QString LongTailSearch::laneText(const Lane& lane, bool alone, bool brief) const
{
    if (lane.setAside) // said until the next start, running or not
        return brief ? QStringLiteral("已停用") : lane.setAsideText;
    if (!m_running)
        return lane.progress.stoppedText();
    if (lane.paused)
        return SearchProgress::pausedText(lane.pauseReason, lane.resumeAt - m_clock.now());
    if (lane.done)
        return lane.nothingNew ? QStringLiteral("没有新的词，已结束") : QStringLiteral("已完成");
    return alone ? lane.progress.runningText(lane.position, m_clock.now()) : lane.progress.shortText(lane.position);
}

QString LongTailSearch::statusText(bool brief) const
{
    if (m_endedWithNothingNew)
        return QStringLiteral("搜索完成：没有新的词");
    if (m_lanes.empty())
        return QStringLiteral("已停止");
    QStringList lines;
    if (m_records.refused() > 0)
        lines.append(QStringLiteral("有%1条来源记录超出了能记下的范围，没有记下").arg(m_records.refused()));
    for (size_t i = 0; i < m_proxyHealth.size(); ++i) {
        if (m_proxyHealth[i].setAside)
            lines.append(u"代理 " + SearchSettings::proxyName(m_proxies[qsizetype(i)]) + u" 连不上，本次不再使用");
    }
    if (m_lanes.size() == 1 && !m_lanes.front()->source)
        return (lines << laneText(*m_lanes.front(), true, brief)).join(u'\n');
    for (const auto& lane : m_lanes)
        lines.append(lane->source->name + u"：" + laneText(*lane, m_lanes.size() == 1, brief));
    return lines.join(u'\n');
}
