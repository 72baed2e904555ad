// Keyword mining: keywords found per minute with the ten sources side by side, beside Baidu's
// suggestions alone at the same pacing, against loopback servers that answer every request after
// 200 ms; and the engine's bookkeeping (asked seeds, records) over a list of a million lines.
#include "BenchSupport.h"
#include "keywords/KeywordFetcher.h"
#include "keywords/KeywordSource.h"
#include "keywords/LongTailSearch.h"
#include "keywords/SearchClock.h"
#include "support/FakeSearchClock.h"
#include "support/TestHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrlQuery>
#include <thread>

namespace {

// Ten keywords a request, in each source's own shape, different per source and seed.
TestHttpServer::Reply suggestions(const TestHttpServer::Request& request)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const QUrlQuery query(QString::fromLatin1(request.query));
    QString seed;
    QString key;
    for (const char16_t* name : {u"wd", u"word", u"key", u"q", u"query"}) {
        if (query.hasQueryItem(QString::fromUtf16(name))) {
            key = QString::fromUtf16(name);
            seed = query.queryItemValue(key, QUrl::FullyDecoded);
        }
    }
    const QByteArray path = request.path;
    auto words = [&](const QString& tag) {
        QStringList list;
        for (int i = 0; i < 10; ++i)
            list.append(seed + tag + QString::number(i));
        return list;
    };
    auto json = [&](const QString& list, const QString& member) {
        QStringList objects;
        for (const QString& word : words(QString::fromLatin1(path) + key))
            objects.append(u"{\"" + member + u"\":\"" + word + u"\"}");
        return TestHttpServer::Reply{QString(u"{\"" + list + u"\":[" + objects.join(u',') + u"]}").toUtf8(),
                                     "application/json"};
    };
    auto links = [&](const QString& tag, const QString& cell) {
        QString out;
        for (const QString& word : words(tag))
            out += QString(cell).replace(u"%1"_qs, word);
        return out;
    };
    auto page = [](const QString& html) { return TestHttpServer::Reply{html.toUtf8(), "text/html; charset=utf-8"}; };
    const QString quoted = u'"' + words(QString::fromLatin1(path)).join(QStringLiteral("\",\"")) + u'"';
    if (path == "/su")
        return {QString(u"window.bdsug.sug({q:\"" + seed + u"\",s:[" + quoted + u"]});").toUtf8(), "text/javascript"};
    if (path == "/suggnew/ajajjson")
        return {QString(u"window.sogou.sug([\"" + seed + u"\",[" + quoted + u"]],-1);").toUtf8(),
                "text/javascript; charset=utf-8"};
    if (path == "/sugrec")
        return json(QStringLiteral("g"), QStringLiteral("q"));
    if (path == "/suggest")
        return json(QStringLiteral("result"), QStringLiteral("word"));
    if (path == "/web" && key == u"q")
        return json(QStringLiteral("r"), QStringLiteral("w"));
    if (path == "/web")
        return page(u"<div id=\"hint_container\">" + links(u"u"_qs, u"<a href=\"/web?query=1\">%1</a>"_qs) + u"</div>");
    if (key == u"wd") // Baidu's result page
        return page(u"<div id=\"rs\"><table><tr>" + links(u"b"_qs, u"<th><a href=\"/s?wd=1\">%1</a></th>"_qs) +
                    u"</tr></table></div>");
    if (key == u"word")
        return page(u"<div id=\"relativewords\">" + links(u"r"_qs, u"<a href=\"/s?word=1\">%1</a>"_qs) + u"</div>");
    // 360's and Shenma's result pages share the address: one page holds the box of each.
    return page(u"<div id=\"rs\">" + links(u"o"_qs, u"<a href=\"/s?q=1\">%1</a>"_qs) +
                u"</div><div><div>相关搜索</div>" + links(u"h"_qs, u"<a href=\"/s?q=1\">%1</a>"_qs) + u"</div>");
}

// Keywords found in seconds of mining with these sources.
qsizetype mine(const QString& base, const QStringList& sources, int seconds)
{
    SearchSettings settings;
    settings.sources = sources;
    for (const KeywordSource& source : KeywordSource::all())
        settings.hosts.insert(source.hostKey, base);
    NetworkKeywordFetcher fetcher;
    LongTailSearch search(SearchClock::system(), fetcher);
    search.setSettings(settings);
    qsizetype found = 0;
    QObject::connect(&search, &LongTailSearch::found,
                     [&found](const QStringList& keywords) { found += keywords.size(); });
    QStringList seeds;
    for (int i = 0; i < 200; ++i)
        seeds.append(QStringLiteral("种子%1").arg(i));
    search.start(seeds);
    QTimer::singleShot(std::chrono::seconds(seconds), qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    search.stop();
    return found;
}

// Answers every request at once; one in ten with ten keywords of the seed.
class InstantFetcher final : public KeywordFetcher
{
public:
    void fetch(const SourceRequest& request, QObject*, std::function<void(const FetchReply&)> done) override
    {
        FetchReply reply;
        reply.status = 200;
        reply.text = QStringLiteral("window.bdsug.sug({s:[]});");
        if (++m_requests % 10 == 0) {
            const QString seed = QUrlQuery(QUrl(request.url)).queryItemValue(QStringLiteral("wd"), QUrl::FullyDecoded);
            QStringList words;
            for (int i = 0; i < 10; ++i)
                words.append(u'"' + seed + QString::number(i) + u'"');
            reply.text = u"window.bdsug.sug({s:[" + words.join(u',') + u"]});";
        }
        done(reply);
    }

private:
    int m_requests = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TestHttpServer server;
    server.setHandler(suggestions);
    const QString base = u"http://" + server.hostPort();
    constexpr int kSeconds = 20;
    const qsizetype single = mine(base, {QStringLiteral("baidu")}, kSeconds);
    QStringList everySource;
    for (const KeywordSource& source : KeywordSource::all())
        everySource.append(source.name);
    const qsizetype ten = mine(base, everySource, kSeconds);
    const double perMinute = 60.0 / kSeconds;
    Bench::report("keywords a minute, ten sources", ten * perMinute, "", "baidu alone", single * perMinute);
    std::printf("  (%.2fx; target at least 8x)\n", single ? double(ten) / double(single) : 0.0);

    // A million lines, every one asked once (skip-asked), one seed in ten giving ten new keywords: the
    // search's bookkeeping beside the list itself.
    constexpr int kLines = 1000000;
    QString list;
    list.reserve(kLines * 12);
    for (int i = 0; i < kLines; ++i)
        list += QStringLiteral("长尾关键词%1\n").arg(i);
    const double listMiB = double(list.size()) * 2 / 1048576.0;
    const long before = Bench::residentKiB();
    FakeSearchClock clock;
    InstantFetcher fetcher;
    LongTailSearch search(clock, fetcher);
    SearchSettings settings;
    settings.skipAsked = true;
    search.setSettings(settings);
    search.listText = [&list]() -> std::optional<QString> { return list; };
    search.classicSource = [] { return QStringLiteral("baidu"); };
    int asked = 0;
    QObject::connect(&search, &LongTailSearch::stepStarted, [&asked] { ++asked; });
    QElapsedTimer timer;
    timer.start();
    search.start({});
    clock.advanceUntil([&] { return asked > kLines; }, qint64(kLines) * 2000);
    const double searchMs = timer.nsecsElapsed() / 1e6;
    const long after = Bench::residentKiB();
    Bench::report("bookkeeping of a search over 1,000,000 lines", (after - before) / 1024.0, "MiB", "(target)", 72);
    std::printf("  (%lld records, the list itself %.1f MiB as UTF-16, %.1f s of search on a fake clock)\n",
                qlonglong(search.records().size()), listMiB, searchMs / 1000);
    // Ten more records beside a million.
    timer.restart();
    for (int i = 0; i < 10; ++i)
        search.records().add(QStringLiteral("新发现的长尾词%1").arg(i),
                             {QStringLiteral("种子"), QStringLiteral("baidu"), 2, {}});
    Bench::report("  ten records more", timer.nsecsElapsed() / 1e6, "ms", "(target, with the insert)", 1);
    return 0;
}
