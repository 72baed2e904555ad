#include "base/TextCodec.h"
#include "keywords/KeywordSource.h"
#include "keywords/LongTailSearch.h"
#include "support/FakeSearchClock.h"
#include "support/FakeSources.h"

#include <QtTest>

using namespace std::chrono_literals;

namespace {

using FakeSources::seedOf;

FetchReply sourceReply(const QUrl& url)
{
    const QString text = FakeSources::text(url);
    return {text, 200, {}, {}, text.toUtf8()};
}

// The signs of a block: 403, 429, a verification page, a redirect to a verification address.
FetchReply blockReply(int kind)
{
    FetchReply reply;
    reply.status = kind == 0 ? 403 : kind == 1 ? 429 : 200;
    if (kind == 2)
        reply.text = u"<html><title>百度安全验证</title><body>window.bdsug.sug([\"x\"])</body></html>"_qs;
    if (kind == 3)
        reply.finalUrl = QUrl(u"https://wappass.baidu.com/static/captcha?tpl=x"_qs);
    reply.body = reply.text.toUtf8();
    return reply;
}

// The window's side: a list that found keywords go on top of, as the box holds it.
struct Harness
{
    FakeSearchClock clock;
    FakeKeywordFetcher fetcher{clock};
    LongTailSearch search{clock, fetcher};
    QString list;
    bool listBusy = false;
    QString classic = u"baidu"_qs;
    QStringList found;

    explicit Harness(const SearchSettings& settings = {}, const QString& initialList = {})
    {
        list = initialList;
        fetcher.respond = sourceReply;
        search.setSettings(settings);
        search.listText = [this]() -> std::optional<QString> {
            if (listBusy)
                return std::nullopt;
            return list;
        };
        search.classicSource = [this] { return classic; };
        QObject::connect(&search, &LongTailSearch::found, [this](const QStringList& keywords) {
            for (const QString& keyword : keywords) {
                list.prepend(keyword + u'\n');
                found.append(keyword);
            }
        });
    }
    QStringList seedsAsked(const QString& path = {}) const
    {
        QStringList seeds;
        for (const auto& asked : fetcher.asked) {
            if (path.isEmpty() || asked.url.path() == path)
                seeds.append(seedOf(asked.url));
        }
        return seeds;
    }
    QList<qint64> times(const QString& path = {}) const
    {
        QList<qint64> result;
        for (const auto& asked : fetcher.asked) {
            if (path.isEmpty() || asked.url.path() == path)
                result.append(asked.at);
        }
        return result;
    }
    // Runs until that many requests went out and the replies due by then are in.
    bool askedAtLeast(qsizetype count)
    {
        const bool reached = clock.advanceUntil([&] { return qsizetype(fetcher.asked.size()) >= count; });
        clock.advance(0);
        return reached;
    }
};

SearchSettings withSources(const QStringList& sources)
{
    SearchSettings settings;
    settings.sources = sources;
    return settings;
}

} // namespace

class LongTailSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void seedsThenPassesAtTheClassicPace()
    {
        Harness h({}, u"old\n"_qs);
        QSignalSpy steps(&h.search, &LongTailSearch::stepStarted);
        h.search.start({u"w1"_qs, u" w2 "_qs, u"  "_qs, u"中"_qs});
        QVERIFY(h.askedAtLeast(5));
        // Highest id first, the blank seed skipped but paced, then the list, bottom line first.
        QCOMPARE(h.seedsAsked(), (QStringList{u"中"_qs, u"w2"_qs, u"w1"_qs, u"old"_qs, u"中1"_qs}));
        QCOMPARE(h.times(), (QList<qint64>{600, 2600, 3600, 5200, 6200}));
        QVERIFY(h.list.endsWith(u"old2\nold1\nw12\nw11\nw22\nw21\n中2\n中1\nold\n"_qs));
        QVERIFY(steps.size() >= 5);
        QVERIFY(h.search.statusText().startsWith(u"第2轮：第3/"_qs));
        h.search.stop();
        QVERIFY(h.search.statusText().startsWith(u"已停止（第2轮"_qs));
        h.clock.advance(3600000);
        QCOMPARE(h.fetcher.asked.size(), size_t(5));
        // Each keyword remembers where it came from.
        const std::optional<KeywordRecord> record = h.search.records().find(u"w21"_qs);
        QVERIFY(record);
        QCOMPARE(record->seed, u"w2"_qs);
        QCOMPARE(record->source, u"baidu"_qs);
        QCOMPARE(record->pass, 1);
        QCOMPARE(record->found.toSecsSinceEpoch(),
                 h.clock.wallTime().addMSecs(2600 - h.clock.now()).toSecsSinceEpoch());
        QCOMPARE(h.search.records().find(u"old1"_qs)->pass, 2);
    }

    void theClassicSourceIsChosenForEverySeed()
    {
        Harness h;
        h.search.start({u"a"_qs, u"b"_qs});
        QVERIFY(h.askedAtLeast(1));
        h.classic = u"baidu-related"_qs;
        QVERIFY(h.askedAtLeast(2));
        QCOMPARE(h.fetcher.asked[0].url.path(), u"/su"_qs);
        QCOMPARE(h.fetcher.asked[1].url.path(), u"/s"_qs);
        QCOMPARE(h.fetcher.asked[1].referer, u"https://www.baidu.com/"_qs);
        QCOMPARE(h.fetcher.asked[0].url.scheme(), u"https"_qs);
        QVERIFY(h.list.startsWith(u"a乙\na甲\nb2\nb1\n"_qs));
    }

    void everyBlockSignPausesWithBackoff_data()
    {
        QTest::addColumn<int>("sign");
        QTest::newRow("403") << 0;
        QTest::newRow("429") << 1;
        QTest::newRow("verification page") << 2;
        QTest::newRow("redirect to verification") << 3;
    }
    void everyBlockSignPausesWithBackoff()
    {
        QFETCH(int, sign);
        Harness h({}, u"old\n"_qs);
        // Requests 1, 2 and 4 are refused; the others answered.
        h.fetcher.respond = [&h, sign](const QUrl& url) {
            const size_t n = h.fetcher.asked.size();
            return n == 1 || n == 2 || n == 4 ? blockReply(sign) : sourceReply(url);
        };
        QSignalSpy recovery(&h.search, &LongTailSearch::recoveryDue);
        h.search.start({u"k"_qs, u"j"_qs});
        QVERIFY(h.askedAtLeast(1));
        QVERIFY(h.search.statusText().startsWith(u"已暂停：百度"_qs));
        QCOMPARE(recovery.size(), 1);
        QVERIFY(h.askedAtLeast(5));
        QCOMPARE(h.seedsAsked(), (QStringList{u"j"_qs, u"j"_qs, u"j"_qs, u"k"_qs, u"k"_qs}));
        // 1 and 2 minutes, then, after a good reply, 1 minute again; nothing of a block is inserted.
        const QList<qint64> t = h.times();
        QCOMPARE(t[1] - t[0], 60000);
        QCOMPARE(t[2] - t[1], 120000);
        QCOMPARE(t[3] - t[2], 1000);
        QCOMPARE(t[4] - t[3], 60000);
        QCOMPARE(h.list, u"k2\nk1\nj2\nj1\nold\n"_qs);
        // Stopping ends a paused search at once.
        h.fetcher.respond = [](const QUrl&) { return blockReply(0); };
        QVERIFY(h.askedAtLeast(6));
        h.search.stop();
        h.clock.advance(3600000);
        QCOMPARE(h.fetcher.asked.size(), size_t(6));
    }

    void fiveNetworkFailuresInARowPause()
    {
        Harness h;
        h.fetcher.respond = [](const QUrl&) { return FetchReply{}; };
        h.search.start({u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs, u"f"_qs, u"g"_qs});
        QVERIFY(h.askedAtLeast(5));
        h.clock.advance(0);
        QVERIFY2(h.search.statusText().startsWith(u"已暂停：网络不通"_qs), qPrintable(h.search.statusText()));
        QVERIFY(h.search.everySourcePaused());
        // The five failed seeds count as searched; the pause holds the sixth.
        QVERIFY(h.askedAtLeast(6));
        QCOMPARE(h.seedsAsked().mid(4), (QStringList{u"c"_qs, u"c"_qs}));
        QCOMPARE(h.times()[5] - h.times()[4], 60000);
    }

    void sourcesRunSideBySideAtTheirOwnPace()
    {
        Harness h(withSources({u"baidu"_qs, u"360"_qs, u"sogou"_qs, u"baidu-mobile"_qs}));
        // Sogou takes 5 s to answer, and 360 is blocked from the start.
        h.fetcher.delay = [](const QUrl& url) { return url.path().startsWith(u"/suggnew") ? 5000 : 0; };
        h.fetcher.respond = [](const QUrl& url) {
            return url.path() == u"/suggest" ? blockReply(0) : sourceReply(url);
        };
        h.search.start({u"a"_qs, u"b"_qs, u"c"_qs});
        h.clock.advance(4000);
        // In the time Sogou answers once, Baidu has asked every seed; 360 waits out its pause.
        QCOMPARE(h.seedsAsked(u"/su"_qs), (QStringList{u"c"_qs, u"b"_qs, u"a"_qs}));
        QCOMPARE(h.seedsAsked(u"/sugrec"_qs), (QStringList{u"c"_qs, u"b"_qs, u"a"_qs}));
        QCOMPARE(h.seedsAsked(u"/suggnew/ajajjson"_qs), QStringList{u"c"_qs});
        QCOMPARE(h.seedsAsked(u"/suggest"_qs), QStringList{u"c"_qs});
        const QString status = h.search.statusText();
        QVERIFY2(status.contains(u"360：已暂停：360搜索拒绝了请求（403）"_qs), qPrintable(status));
        QVERIFY2(status.contains(u"baidu：第2轮"_qs), qPrintable(status));
        QVERIFY(!h.search.everySourcePaused());
        h.clock.advance(3000);
        // Sogou's keywords went on top when they came, after the faster sources' of later seeds.
        QVERIFY(h.found.indexOf(u"cg1"_qs) > h.found.indexOf(u"a2"_qs));
        QCOMPARE(h.found.indexOf(u"cg2"_qs), h.found.indexOf(u"cg1"_qs) + 1);
        QCOMPARE(h.search.records().find(u"cg1"_qs)->source, u"sogou"_qs);
        QCOMPARE(h.search.records().find(u"cm2"_qs)->source, u"baidu-mobile"_qs);
        // One request at a time per source.
        const QList<qint64> sogou = h.times(u"/suggnew/ajajjson"_qs);
        QCOMPARE(sogou, (QList<qint64>{600, 6600}));
        QCOMPARE(h.times(u"/suggest"_qs), (QList<qint64>{600}));
        QVERIFY(h.askedAtLeast(h.fetcher.asked.size() + 1));
    }

    void skipAskedAndDepth_data()
    {
        QTest::addColumn<bool>("skipAsked");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("asked");
        // The table's seed a, then passes over the list, bottom line first; b was typed by the user.
        QTest::newRow("classic") << false << 0
                                 << QStringList{u"a"_qs, u"b"_qs, u"a1"_qs, u"a2"_qs, u"b"_qs, u"a1"_qs, u"a2"_qs};
        QTest::newRow("skip asked") << true << 0
                                    << QStringList{u"a"_qs, u"b"_qs, u"a1"_qs, u"a2"_qs, u"b1"_qs, u"b2"_qs, u"a11"_qs};
        QTest::newRow("depth 1") << false << 1 << QStringList{u"a"_qs, u"b"_qs, u"b"_qs, u"b"_qs};
    }
    void skipAskedAndDepth()
    {
        QFETCH(bool, skipAsked);
        QFETCH(int, depth);
        QFETCH(QStringList, asked);
        SearchSettings settings;
        settings.skipAsked = skipAsked;
        settings.depth = depth;
        Harness h(settings, u"b\n"_qs);
        h.search.start({u"a"_qs});
        QVERIFY(h.askedAtLeast(asked.size()));
        QCOMPARE(h.seedsAsked().mid(0, asked.size()), asked);
    }

    void aSkipAskedSearchWithNothingNewEndsByItself()
    {
        SearchSettings settings = withSources({u"baidu"_qs, u"360"_qs});
        settings.skipAsked = true;
        Harness h(settings);
        // Nothing is found: after the table's seed no line is new.
        h.fetcher.respond = [](const QUrl&) {
            FetchReply reply;
            reply.status = 200;
            return reply;
        };
        QSignalSpy finished(&h.search, &LongTailSearch::finished);
        h.search.start({u"only"_qs});
        QVERIFY(h.clock.advanceUntil([&] { return !finished.isEmpty(); }));
        QCOMPARE(finished.first().first().value<LongTailSearch::End>(), LongTailSearch::End::NothingNew);
        QVERIFY(!h.search.isRunning());
        QCOMPARE(h.search.statusText(), u"搜索完成：没有新的词"_qs);
        QCOMPARE(h.fetcher.asked.size(), size_t(2));
    }

    // A source that is through shows so while the others go on: after its passes, or with nothing new to ask.
    void aSourceThatIsThroughSaysSo_data()
    {
        QTest::addColumn<bool>("skipAsked");
        QTest::addColumn<QString>("status");
        QTest::newRow("passes") << false << u"baidu：已完成"_qs;
        QTest::newRow("nothing new") << true << u"baidu：没有新的词，已结束"_qs;
    }
    void aSourceThatIsThroughSaysSo()
    {
        QFETCH(bool, skipAsked);
        QFETCH(QString, status);
        SearchSettings settings = withSources({u"baidu"_qs, u"sogou"_qs});
        settings.skipAsked = skipAsked;
        Harness h(settings);
        h.search.setMaxPasses(skipAsked ? 0 : 1);
        h.fetcher.delay = [](const QUrl& url) { return url.path().startsWith(u"/suggnew") ? 600000 : 0; };
        h.fetcher.respond = [skipAsked](const QUrl& url) {
            return skipAsked && url.path() == u"/su" ? FetchReply{{}, 200} : sourceReply(url);
        };
        h.search.start({u"a"_qs});
        h.clock.advance(60000);
        QVERIFY2(h.search.statusText().startsWith(status + u'\n'), qPrintable(h.search.statusText()));
        QVERIFY(h.search.statusText().contains(u"\nsogou：第1轮"_qs));
        QVERIFY(h.search.isRunning());
    }

    void aPassWaitsForTheWholeList()
    {
        Harness h({}, u"x\n"_qs);
        h.listBusy = true;
        h.search.start({});
        h.clock.advance(600000);
        QVERIFY(h.fetcher.asked.empty());
        h.listBusy = false;
        h.search.listSettled();
        QVERIFY(h.askedAtLeast(1));
        QCOMPARE(h.seedsAsked(), QStringList{u"x"_qs});
    }

    void stoppingDuringAFetchStillInsertsItsKeywords()
    {
        Harness h;
        h.fetcher.held = true;
        h.search.start({u"k"_qs});
        QVERIFY(h.askedAtLeast(1));
        QVERIFY(h.search.statusText().startsWith(u"第1轮：第1/1个词"_qs));
        h.search.stop();
        h.fetcher.release();
        QCOMPARE(h.list, u"k2\nk1\n"_qs);
        h.clock.advance(3600000);
        QCOMPARE(h.fetcher.asked.size(), size_t(1));
        // A search started again asks from the table again.
        h.search.start({u"n"_qs});
        QVERIFY(h.askedAtLeast(2));
        QCOMPARE(h.seedsAsked().last(), u"n"_qs);
    }

    void repliesAfterTheSearchIsGoneAreDropped()
    {
        FakeSearchClock clock;
        FakeKeywordFetcher fetcher(clock);
        fetcher.respond = sourceReply;
        fetcher.held = true;
        {
            LongTailSearch search(clock, fetcher);
            search.start({u"k"_qs});
            QVERIFY(clock.advanceUntil([&] { return !fetcher.asked.empty(); }));
        }
        fetcher.release();
        QCOMPARE(fetcher.inFlight(), 0);
    }

    void passesEndTheRunEvenWithASourcePaused()
    {
        Harness h(withSources({u"baidu"_qs, u"360"_qs}));
        h.search.setMaxPasses(2);
        h.fetcher.respond = [](const QUrl& url) {
            return url.path() == u"/suggest" ? blockReply(0) : sourceReply(url);
        };
        QSignalSpy finished(&h.search, &LongTailSearch::finished);
        h.search.start({u"a"_qs});
        QVERIFY(h.clock.advanceUntil([&] { return !finished.isEmpty(); }));
        QCOMPARE(finished.first().first().value<LongTailSearch::End>(), LongTailSearch::End::PassesDone);
        QCOMPARE(h.seedsAsked(u"/su"_qs), (QStringList{u"a"_qs, u"a1"_qs, u"a2"_qs}));
        QCOMPARE(h.search.passesCompleted(), 0); // 360 never got through one
        QVERIFY(!h.search.everySourcePaused());
    }

    void untrustedKeywordsAreNotInserted_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("inserted");
        QStringList many;
        for (int i = 0; i < 500; ++i)
            many.append(u"k"_qs + QString::number(i));
        QTest::newRow("500 words") << many << many.mid(0, 100);
        QTest::newRow("mark-up") << QStringList{u"<script>alert(1)</script>"_qs, u"a>b"_qs, u"ok"_qs}
                                 << QStringList{u"ok"_qs};
        QTest::newRow("control characters")
            << QStringList{u"a\u0001b"_qs, u"tab\there"_qs, u"a\u0085b"_qs, u"line\u2028sep"_qs, u"ok"_qs}
            << QStringList{u"ok"_qs};
        QTest::newRow("list marker") << QStringList{u"a|*|b"_qs, u"a|b"_qs} << QStringList{u"a|b"_qs};
        QTest::newRow("undecodable") << QStringList{u"鲜\uFFFD花"_qs, u"鲜花"_qs} << QStringList{u"鲜花"_qs};
        QTest::newRow("length") << QStringList{QString(101, u'长'), QString(100, u'长')}
                                << QStringList{QString(100, u'长')};
    }
    void untrustedKeywordsAreNotInserted()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, inserted);
        Harness h({}, {});
        h.fetcher.respond = [words](const QUrl&) {
            return FetchReply{FakeSources::json(words, u"result"_qs, u"word"_qs), 200};
        };
        SearchSettings settings;
        settings.sources = {u"360"_qs};
        h.search.setSettings(settings);
        h.search.start({u"k"_qs});
        QVERIFY(h.askedAtLeast(1));
        QCOMPARE(h.found, inserted);
    }

    void filtersAndTheSeedPlaceholder_data()
    {
        QTest::addColumn<QStringList>("exclude");
        QTest::addColumn<QStringList>("include");
        QTest::addColumn<QStringList>("kept");
        const QStringList none;
        QTest::newRow("all") << none << none << QStringList{u"k1"_qs, u"k2"_qs, u"x1"_qs};
        QTest::newRow("exclude") << QStringList{u"2"_qs, u"zz"_qs} << none << QStringList{u"k1"_qs, u"x1"_qs};
        QTest::newRow("include") << none << QStringList{u"x"_qs, u"2"_qs} << QStringList{u"k2"_qs, u"x1"_qs};
        QTest::newRow("seed") << none << QStringList{u"*seed*"_qs} << QStringList{u"k1"_qs, u"k2"_qs};
        QTest::newRow("both") << QStringList{u"1"_qs} << QStringList{u"*seed*"_qs} << QStringList{u"k2"_qs};
    }
    void filtersAndTheSeedPlaceholder()
    {
        QFETCH(QStringList, exclude);
        QFETCH(QStringList, include);
        QFETCH(QStringList, kept);
        SearchSettings settings;
        settings.exclude = exclude;
        settings.include = include;
        Harness h(settings);
        h.fetcher.respond = [](const QUrl&) {
            FetchReply reply = sourceReply(QUrl(u"http://suggestion.baidu.com/su?wd=k"_qs));
            reply.text.replace(u"\"k2\"]"_qs, u"\"k2\",\"x1\"]"_qs);
            return reply;
        };
        h.search.start({u"k"_qs});
        QVERIFY(h.askedAtLeast(1));
        h.clock.advance(0);
        QCOMPARE(h.found, kept);
    }
};

QTEST_GUILESS_MAIN(LongTailSearchTest)
#include "tst_longtailsearch.moc"
