#pragma once

#include "keywords/KeywordRecords.h"
#include "keywords/SearchProgress.h"
#include "keywords/SearchSettings.h"
#include "keywords/SeedList.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class KeywordFetcher;
class KeywordSource;
class SearchClock;
class SearchTimer;
struct FetchReply;

// The long-tail search without a window. For every seed it asks its sources for longer keywords and
// hands them to its owner, who puts them at the top of the list; when a pass over the seeds is
// through, the next pass takes the distinct lines of the list as it stands then.
//
// Each source walks the seeds at its own pace: one request at a time, a rest before every pass and
// after every seed, its own pause and back-off when it is blocked. Without sources in the settings the
// search has one lane, whose source the owner names for every seed (一级 or 二级).
class LongTailSearch : public QObject
{
    Q_OBJECT

public:
    struct Pacing
    {
        std::chrono::milliseconds beforePass{600};
        std::chrono::milliseconds backoffUnit{std::chrono::minutes(1)};
        std::chrono::milliseconds recovery{std::chrono::minutes(2)};
        std::chrono::milliseconds status{std::chrono::seconds(1)};
        // For tests: the rest after each seed, in place of the settings' (which is never under a second).
        std::chrono::milliseconds afterSeed{0};
    };
    enum class End
    {
        NothingNew, // skip-asked, and no source had a new line to ask
        PassesDone, // every source that is not paused did its passes
        GaveUp,     // no source answered for as long as the owner would wait
        Unreadable, // every source was set aside: its pages no longer hold what it reads
    };
    // Failures to get any answer that pause a source, in a row.
    static constexpr int kNetworkFailuresBeforePause = 5;
    // Failures to reach a proxy, in a row, that set it aside for the run.
    static constexpr int kProxyFailuresBeforeSetAside = 3;

    LongTailSearch(SearchClock& clock, KeywordFetcher& fetcher, QObject* parent = nullptr);
    ~LongTailSearch() override;

    // Applies from the next seed; the sources from the next start.
    void setSettings(const SearchSettings& settings);
    const SearchSettings& settings() const { return m_settings; }
    void setPacing(const Pacing& pacing) { m_pacing = pacing; }
    // Stop after this many passes (0: never).
    void setMaxPasses(int passes) { m_maxPasses = passes; }
    // End when no source has answered for this long while none can ask (every one paused or through);
    // 0: never.
    void setGiveUp(std::chrono::milliseconds after) { m_giveUpAfter = after; }
    // Where the last page of a source that could no longer read its pages is kept (empty: nowhere).
    void setUnreadFolder(const QString& folder) { m_unreadFolder = folder; }

    // The list as it stands, for a new pass; nothing while it is not complete (being read in or
    // refilled): the pass then waits for listSettled().
    std::function<std::optional<QString>()> listText;
    // Without sources in the settings: the source to ask for the next seed.
    std::function<QString()> classicSource;

    // Starts with the seeds of the table, in id order; they are searched from the last to the first.
    void start(const QStringList& tableSeeds);
    // Ends the search; a reply already on its way still hands over its keywords.
    void stop();
    void listSettled();

    bool isRunning() const { return m_running; }
    // Every source is paused (blocked, or no answer) or there are none.
    bool everySourcePaused() const;
    // What each source is doing; brief: a source set aside only says so, for a log that told the reason
    // once when it happened.
    QString statusText(bool brief = false) const;
    // The number of passes every source has finished, the slowest counted.
    int passesCompleted() const;
    KeywordRecords& records() { return m_records; }
    const KeywordRecords& records() const { return m_records; }

signals:
    // A step of a source begins: the owner refreshes its count.
    void stepStarted();
    // Keywords of one reply, in the reply's order, trimmed and filtered, each recorded.
    void found(const QStringList& keywords);
    void statusChanged();
    // Time to write the list where a crash cannot take it: at every pause and at the recovery interval.
    void recoveryDue();
    // The search ended by itself.
    void finished(LongTailSearch::End end);
    // A source was set aside for the run, its pages no longer holding what it reads: what to tell the
    // user, once.
    void sourceSetAside(const QString& message);

private:
    struct Lane;
    // What one request asks: a seed, the expansion of it (empty: none) and the two as sent.
    struct Query
    {
        QString seed;
        QString expansion;
        QString text;
        qsizetype proxy = -1; // asked through; -1: none
    };
    struct ProxyHealth
    {
        int failures = 0; // in a row
        bool setAside = false;
    };

    Lane& addLane(const KeywordSource* source);
    void step(Lane& lane);
    void StartNextPass(Lane& lane);
    void SearchNextWord(Lane& lane);
    void ask(Lane& lane, const KeywordSource& source, const QString& seed, const QString& expansion);
    void handleReply(int run, size_t lane, const KeywordSource& source, const Query& asked, int pass,
                     const FetchReply& reply);
    // The first expansion from the n-th on that the source has not asked for the seed; 0 when none is left.
    qsizetype nextExpansion(const KeywordSource& source, const QString& seed, qsizetype from) const;
    void seedDone(Lane& lane);
    // Pauses until the wait, else the lane's next back-off.
    void pause(Lane& lane, const QString& reason, std::optional<std::chrono::milliseconds> until = std::nullopt);
    void blocked(Lane& lane, qsizetype proxy, const QString& reason);
    void proxyFailed(Lane& lane, qsizetype proxy);
    // Moves the lane to the next proxy it may ask through; false when there is none.
    bool switchProxy(Lane& lane);
    void resume(Lane& lane);
    // Counts an answer that holds nothing the source reads; sets the lane aside after a run of them.
    bool unreadable(Lane& lane, const KeywordSource& source, const FetchReply& reply);
    void armGiveUp();
    bool anyLaneAsking() const;
    void checkEnd();
    void finish(End end);
    bool shouldSkip(const KeywordSource& source, const QString& seed) const;
    bool wasAsked(const KeywordSource& source, const QString& seed) const;
    const KeywordSource* sourceFor(const Lane& lane) const;
    // In full for a search of one source, in a few words for one of several.
    QString laneText(const Lane& lane, bool alone, bool brief) const;

    SearchClock& m_clock;
    KeywordFetcher& m_fetcher;
    SearchSettings m_settings;
    KeywordFilter m_filter;
    QStringList m_expansions;
    Pacing m_pacing;
    int m_maxPasses = 0;
    std::chrono::milliseconds m_giveUpAfter{0};
    qint64 m_lastAnswer = 0;
    std::unique_ptr<SearchTimer> m_giveUpTimer;
    QString m_unreadFolder;
    std::vector<std::unique_ptr<Lane>> m_lanes;
    std::unique_ptr<SearchTimer> m_statusTimer;
    std::unique_ptr<SearchTimer> m_recoveryTimer;
    QList<QUrl> m_proxies;                  // as the run started
    std::vector<ProxyHealth> m_proxyHealth; // per proxy, for the run
    KeywordRecords m_records;
    bool m_running = false;
    bool m_endedWithNothingNew = false;
    int m_run = 0;
};
