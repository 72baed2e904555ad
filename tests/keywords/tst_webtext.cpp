#include "base/HttpClient.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRules.h"
#include "keywords/SearchProgress.h"
#include "keywords/SearchReply.h"
#include "keywords/WebText.h"
#include "keywords/XMLHttpGET.h"
#include "support/TestHttpServer.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtTest>
#include <optional>

using namespace std::chrono_literals;

namespace {

// The duplicate filter exactly as the keyword window has always described it, entry markers and all.
QStringList literalDistinctLines(const QString& text)
{
    QString list;
    for (const QString& line : text.split(u"\r\n"_qs)) {
        if (line.isEmpty() || line == u" "_qs || line == u"\u3000"_qs)
            continue;
        const QString entry = u"|#|"_qs + line + u"|*|"_qs;
        if (!list.contains(entry))
            list.prepend(entry);
    }
    list.replace(u"|*|"_qs, u"\r\n"_qs);
    list.remove(u"|#|"_qs);
    QStringList lines = list.split(u"\r\n"_qs);
    lines.removeLast();
    return lines;
}

// The filter's lines over the text as UTF-16 and as UTF-8.
QStringList distinct(const QString& text)
{
    QStringList lines;
    for (QStringView line : KeywordRules::DistinctLines(text))
        lines.append(line.toString());
    return lines;
}

QStringList distinctUtf8(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QStringList lines;
    for (QByteArrayView line : KeywordRules::DistinctLines(QByteArrayView(utf8)))
        lines.append(QString::fromUtf8(line));
    return lines;
}

} // namespace

class WebTextTest : public QObject
{
    Q_OBJECT

private slots:
    void gbToUtf8()
    {
        QCOMPARE(GBtoUTF8(u"中"_qs), u"%E4%B8%AD"_qs);
        QCOMPARE(GBtoUTF8(u"é"_qs), u"%C3%A9"_qs);
        QCOMPARE(GBtoUTF8(u"a b"_qs), u"%61%20%62"_qs);
        QCOMPARE(GBtoUTF8(QString()), QString());
        QCOMPARE(GBtoUTF8(u"😀"_qs), u"%F0%9F%98%80"_qs);
        QCOMPARE(GBtoUTF8(u"&="_qs), u"%26%3D"_qs);
    }

    void bytesToText()
    {
        QCOMPARE(bBytesToBstr("\xEF\xBB\xBF\xE4\xB8\xAD"), u"中"_qs);
        QCOMPARE(bBytesToBstr("abc"), u"abc"_qs);
    }

    void clearHtml()
    {
        QCOMPARE(ClearHtml(u"<a href=x>abc</a></th>"_qs), u"abc"_qs);
        QCOMPARE(ClearHtml(u"<b> x > y"_qs), u" y"_qs);
        QCOMPARE(ClearHtml(u"a < b <c>d"_qs), u"a < b d"_qs);
        QCOMPARE(ClearHtml(u"<\nb>x"_qs), u"<\nb>x"_qs); // a line feed right after "<" is no tag
        QCOMPARE(ClearHtml(u"<A HREF=1>k1</A>,<a>k2</a>"_qs), u"k1,k2"_qs);
    }

    void getBody()
    {
        const QString page = u"xx<DIV>Body Text</Div>yy"_qs;
        QCOMPARE(GetBody(page, u"<div>"_qs, u"</div>"_qs, false, false), u"Body Text"_qs);
        QCOMPARE(GetBody(page, u"<div>"_qs, u"</div>"_qs, true, true), u"<DIV>Body Text</Div>"_qs);
        QCOMPARE(GetBody(u"<a></a>"_qs, u"<a>"_qs, u"</a>"_qs, false, false), FalseMarker());
        QCOMPARE(GetBody(FalseMarker(), u"$"_qs, u"$"_qs, true, true), FalseMarker());
        QCOMPARE(GetBody(page, u"<p>"_qs, u"</div>"_qs, false, false), FalseMarker());
        QCOMPARE(GetBody(page, u"<div>"_qs, QString(), false, false), FalseMarker());
        QCOMPARE(GetBody(QString(), u"a"_qs, u"b"_qs, false, false), FalseMarker());
    }

    void suggestionPieces()
    {
        QCOMPARE(KeywordRules::SuggestionPieces(u"window.bdsug.sug({q:\"k\",p:false,s:[\"a\",\"b\",\"c\"]});"_qs),
                 (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
        QCOMPARE(KeywordRules::SuggestionPieces(u"sug({q:\"k\",p:false,s:[]});"_qs), QStringList{});
        QCOMPARE(KeywordRules::SuggestionPieces(u"sug({q:\"k\",s:[\"a\""_qs), QStringList{});
        QCOMPARE(KeywordRules::SuggestionPieces(u"[\"a\",,\"b\"]"_qs), (QStringList{u"a"_qs, QString(), u"b"_qs}));
        QCOMPARE(KeywordRules::SuggestionPieces(QString()), QStringList{});
        // No "[": the cut starts at the first character.
        QCOMPARE(KeywordRules::SuggestionPieces(u"x,y]z"_qs), (QStringList{u"x"_qs, u"y"_qs}));
    }

    void relatedPieces()
    {
        const QString page = u"<html><div class=\"tt\">相关搜索</div><table cellpadding=\"0\"><tr><th>"
                             u"<a href=\"/s?wd=1\">甲 乙</a></th><td></td><th><a href=\"/s?wd=2\">丙</a></th></tr>"
                             u"<tr><th><a href=\"/3\">丁</a></th></tr></table></div></html>"_qs;
        QCOMPARE(KeywordRules::RelatedPieces(page), (QStringList{u"甲 乙"_qs, u"丙"_qs, u"丁"_qs}));
        QCOMPARE(KeywordRules::RelatedPieces(u"<html>nothing</html>"_qs), QStringList{});
    }

    void distinctLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("repeat") << u"a\r\nb\r\na\r\n"_qs << QStringList{u"b"_qs, u"a"_qs};
        QTest::newRow("blanks and case") << u"  \r\n \r\n\u3000\r\nA\r\na\r\n a"_qs
                                         << QStringList{u" a"_qs, u"a"_qs, u"A"_qs, u"  "_qs};
        QTest::newRow("empty") << QString() << QStringList{};
        // Whole lines are compared, where the old marker string matched across entries or cut lines apart.
        QTest::newRow("marker inside") << u"#|a\r\na"_qs << QStringList{u"a"_qs, u"#|a"_qs};
        QTest::newRow("star") << u"*"_qs << QStringList{u"*"_qs};
        QTest::newRow("bar star") << u"a|*\r\n*|a"_qs << QStringList{u"*|a"_qs, u"a|*"_qs};
    }
    void distinctLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(distinct(text), lines);
        QCOMPARE(distinctUtf8(text), lines);
    }

    void distinctLinesMatchesTheListRule()
    {
        // Random lists, repeatable: the seed is printed when a case fails.
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        auto report = qScopeGuard([seed] {
            if (QTest::currentTestFailed())
                qWarning("random lists from seed %u", seed);
        });
        const QStringList alphabet{u"a"_qs, u"b"_qs, u" "_qs, u"中"_qs, u"\u3000"_qs,
                                   u"B"_qs, u"|"_qs, u"*"_qs, u"#"_qs};
        int compared = 0;
        for (int round = 0; round < 2000; ++round) {
            QStringList lines;
            const int count = random.bounded(30);
            for (int i = 0; i < count; ++i) {
                QString line;
                const int length = random.bounded(3);
                for (int j = 0; j < length; ++j)
                    line += alphabet.at(random.bounded(alphabet.size()));
                lines.append(line);
            }
            const QString text = lines.join(u"\r\n"_qs);
            QCOMPARE(distinctUtf8(text), distinct(text));
            // Within its scope the list rule of old gives the same lines.
            if (text.contains(u'|') || lines.contains(u"*"_qs))
                continue;
            QCOMPARE(distinct(text), literalDistinctLines(text));
            ++compared;
        }
        QVERIFY(compared > 100);
    }

    void keywordFileFormat()
    {
        QCOMPARE(KeywordRules::keywordFileBytes(u"  a\nb\n  "_qs), QByteArray("a\r\nb\r\n\r\n"));
        QCOMPARE(KeywordRules::keywordFileBytes(u"中"_qs), QByteArray("\xD6\xD0\r\n"));
        QCOMPARE(KeywordRules::suggestionUrl(u"http://h"_qs, u"中"_qs),
                 u"http://h/su?wd=%E4%B8%AD&tn=baidu&cb=window.bdsug.sug&from=superpage"_qs);
        QCOMPARE(KeywordRules::searchUrl(u"http://h:1"_qs, u"a"_qs), u"http://h:1/s?tn=baidu&ie=utf-8&word=%61"_qs);
    }

    void fetchDecodesBothWays()
    {
        TestHttpServer server;
        server.setHandler([](const TestHttpServer::Request& request) {
            if (request.path == "/gbk")
                return TestHttpServer::Reply{TextCodec::toAnsi(u"中文")};
            if (request.path == "/moved") {
                TestHttpServer::Reply reply{"", "text/html", {}, 302};
                return reply;
            }
            return TestHttpServer::Reply{u"中文"_qs.toUtf8()};
        });
        const std::unique_ptr<HttpClient> network = HttpClient::create();
        QVERIFY(network);
        QObject context;
        QStringList results;
        const QString base = u"http://"_qs + server.hostPort();
        XMLHttpGET(network.get(), base + u"/gbk"_qs, 0, &context,
                   [&](const FetchReply& reply) { results.append(reply.text); });
        XMLHttpGET(network.get(), base + u"/utf8"_qs, 1, &context,
                   [&](const FetchReply& reply) { results.append(reply.text); });
        QTRY_COMPARE(results.size(), 2);
        QCOMPARE(results[0], u"中文"_qs);
        QCOMPARE(results[1], u"中文"_qs);
    }

    void untrustedRepliesFail_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("verdict");
        QTest::newRow("redirect within the host") << u"/same"_qs << 200 << int(ReplyCheck::Verdict::Answer);
        QTest::newRow("redirect to another host") << u"/elsewhere"_qs << 0 << int(ReplyCheck::Verdict::NetworkFailure);
        QTest::newRow("redirect to verification") << u"/verify"_qs << 302 << int(ReplyCheck::Verdict::Blocked);
        QTest::newRow("5 MiB body") << u"/big"_qs << 0 << int(ReplyCheck::Verdict::NetworkFailure);
        QTest::newRow("5 MiB that compresses") << u"/bomb"_qs << 0 << int(ReplyCheck::Verdict::NetworkFailure);
        QTest::newRow("under 4 MiB") << u"/limit"_qs << 200 << int(ReplyCheck::Verdict::Answer);
    }
    void untrustedRepliesFail()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(int, verdict);
        TestHttpServer server;
        const QByteArray elsewhere = "http://localhost:" + QByteArray::number(server.port()) + "/ok";
        // Bodies that do not compress: the server may compress what it sends, the limit is what arrives.
        auto noise = [](qsizetype size) {
            QByteArray bytes(size, Qt::Uninitialized);
            QRandomGenerator generator(7);
            generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
            return bytes;
        };
        server.setHandler([elsewhere, noise](const TestHttpServer::Request& request) {
            TestHttpServer::Reply moved{"", "text/html", {}, 302};
            if (request.path == "/same")
                moved.location = "/ok";
            else if (request.path == "/elsewhere")
                moved.location = elsewhere;
            else if (request.path == "/verify")
                moved.location = "https://wappass.baidu.com/static/captcha/tuxing.html?ak=x";
            else if (request.path == "/big")
                return TestHttpServer::Reply{noise(5 * 1024 * 1024), "application/octet-stream"};
            else if (request.path == "/limit")
                return TestHttpServer::Reply{noise(kMaxReplyBytes - 4), "application/octet-stream"};
            else if (request.path == "/bomb")
                return TestHttpServer::Reply{QByteArray(5 * 1024 * 1024, 'a')};
            else
                return TestHttpServer::Reply{"ok"};
            return moved;
        });
        const std::unique_ptr<HttpClient> network = HttpClient::create();
        QObject context;
        std::optional<FetchReply> result;
        XMLHttpGET(network.get(), u"http://127.0.0.1:%1%2"_qs.arg(server.port()).arg(path), 1, &context,
                   [&](const FetchReply& reply) { result = reply; });
        QTRY_VERIFY(result);
        QCOMPARE(result->status, status);
        QCOMPARE(int(SearchReply::check(*result).verdict), verdict);
        QCOMPARE(server.requests().size(), path == u"/same" ? 2 : 1);
    }

    void registrableDomains_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("domain");
        QTest::newRow("two labels") << u"baidu.com"_qs << u"baidu.com"_qs;
        QTest::newRow("subdomain") << u"wappass.baidu.com"_qs << u"baidu.com"_qs;
        QTest::newRow("two-level suffix") << u"sug.so.360.com.cn"_qs << u"360.com.cn"_qs;
        QTest::newRow("360.cn") << u"sug.so.360.cn"_qs << u"360.cn"_qs;
        QTest::newRow("ip") << u"127.0.0.1"_qs << u"127.0.0.1"_qs;
        QTest::newRow("ipv6") << u"::1"_qs << u"::1"_qs;
        QTest::newRow("case") << u"M.Baidu.COM"_qs << u"baidu.com"_qs;
    }
    void registrableDomains()
    {
        QFETCH(QString, host);
        QFETCH(QString, domain);
        QCOMPARE(registrableDomain(host), domain);
    }

    void aFetchNeverReachesAContextBeingDestroyed()
    {
        TestHttpServer silent;
        silent.setSilent();
        const std::unique_ptr<HttpClient> network = HttpClient::create();
        QVERIFY(network);
        bool contextGone = false;
        int lateCalls = 0;
        struct Context : QObject
        {
            bool* gone = nullptr;
            ~Context() override { *gone = true; }
        };
        auto* context = new Context;
        context->gone = &contextGone;
        XMLHttpGET(network.get(), u"http://"_qs + silent.hostPort() + u"/s"_qs, 1, context, [&](const FetchReply&) {
            if (contextGone)
                ++lateCalls;
        });
        QTRY_COMPARE(silent.requestCount(), 1);
        delete context;
        // A request sent after it and answered is a barrier: whatever the aborted one would have
        // delivered has been handled by then.
        TestHttpServer answering;
        answering.setReply("ok");
        QObject barrier;
        bool answered = false;
        XMLHttpGET(network.get(), u"http://"_qs + answering.hostPort() + u"/s"_qs, 1, &barrier,
                   [&](const FetchReply&) { answered = true; });
        QTRY_VERIFY(answered);
        QCOMPARE(lateCalls, 0);
    }

    void todaysRelatedBoxAndBlockSigns()
    {
        // The box of today's pages: link texts of its table's cells, tags gone, entities decoded.
        const QString current = u"<html><title>k_百度搜索</title><div id=\"rs_new\" class=\"x\"><div>相关搜索</div>"
                                u"<table class=\"rs\"><tr><td><a href=\"/s?1\"><span>k&amp;1</span></a></td>"
                                u"<td><a href='/s?2' title=\"t\">k 乙</a></td><td></td></tr>"
                                u"<tr><td><a href=\"/s?3\">k&#20007;</a></td></tr></table></div></html>"_qs;
        QCOMPARE(KeywordRules::RelatedPieces(current), (QStringList{u"k&1"_qs, u"k 乙"_qs, u"k丧"_qs}));
        QCOMPARE(KeywordRules::RelatedPieces(QString(current).replace(u"rs_new"_qs, u"rs"_qs)),
                 (QStringList{u"k&1"_qs, u"k 乙"_qs, u"k丧"_qs}));
        // The marker of old still comes first; a page with neither gives nothing.
        const QString old =
            u"<div class=\"tt\">相关搜索</div><table cellpadding=\"0\"><tr><th><a>甲</a></th><td></td>"
            u"<th><a>乙</a></th></tr></table></div><div id=\"rs_new\"><table><tr><td><a>丙</a></td></tr>"
            u"</table></div>"_qs;
        QCOMPARE(KeywordRules::RelatedPieces(old), (QStringList{u"甲"_qs, u"乙"_qs}));
        QCOMPARE(KeywordRules::RelatedPieces(u"<html><body>no box</body></html>"_qs), QStringList{});

        const QUrl asked(u"http://www.baidu.com/s?wd=k"_qs);
        auto verdict = [&](const QString& text, int status, const QUrl& finalUrl) {
            return SearchReply::check(FetchReply{text, status, asked, finalUrl}).verdict;
        };
        using Verdict = ReplyCheck::Verdict;
        QCOMPARE(verdict(current, 200, asked), Verdict::Answer);
        QCOMPARE(verdict(QString(), 0, asked), Verdict::NetworkFailure);
        QCOMPARE(verdict(QString(), 200, QUrl(u"https://wappass.baidu.com/static/captcha/tuxing.html"_qs)),
                 Verdict::Blocked);
        QCOMPARE(verdict(u"x"_qs, 403, asked), Verdict::Blocked);
        QCOMPARE(verdict(u"x"_qs, 429, asked), Verdict::Blocked);
        QCOMPARE(verdict(u"<html><head><title>百度安全验证</title></head><body>[\"a\"]</body></html>"_qs, 200, asked),
                 Verdict::Blocked);
        QCOMPARE(verdict(u"<html><body>请输入验证码</body></html>"_qs, 200, asked), Verdict::Blocked);
        // A result page for a query about verification is an answer like any other.
        QCOMPARE(verdict(u"<html><title>安全验证_百度搜索</title><body>百度安全验证</body></html>"_qs, 200, asked),
                 Verdict::Answer);
        // A suggestion list that happens to hold the words is no web page.
        QCOMPARE(verdict(u"window.bdsug.sug({s:[\"安全验证码\"]});"_qs, 200, asked), Verdict::Answer);

        QVERIFY(SearchReply::isSuggestionScript(u" \r\nwindow.bdsug.sug({s:[]})"_qs, u"window.bdsug.sug"_qs));
        QVERIFY(!SearchReply::isSuggestionScript(u"<script>var a=[\"x\"]</script>"_qs, u"window.bdsug.sug"_qs));
    }

    void backoffDoublesUpToHalfAnHour()
    {
        SearchBackoff backoff(std::chrono::minutes(1));
        QList<qint64> minutes;
        for (int i = 0; i < 8; ++i)
            minutes.append(std::chrono::duration_cast<std::chrono::minutes>(backoff.next()).count());
        QCOMPARE(minutes, (QList<qint64>{1, 2, 4, 8, 16, 30, 30, 30}));
        backoff.reset();
        QCOMPARE(backoff.next(), std::chrono::milliseconds(std::chrono::minutes(1)));
    }

    void theStatusLineOfASearch()
    {
        SearchProgress progress;
        progress.startPass(2, 4, 0);
        QCOMPARE(progress.runningText(0, 0), u"第2轮：第1/4个词，本轮新增0个，每分钟0次请求，本轮剩余时间估算中"_qs);
        progress.requestSent(1000);
        progress.seedDone(3, 2000);
        progress.requestSent(3000);
        progress.seedDone(0, 4000);
        // Two seeds in 4 s: the other two take about 4 s more; requests of the last minute count.
        QCOMPARE(progress.runningText(2, 4000), u"第2轮：第3/4个词，本轮新增3个，每分钟2次请求，本轮约剩4秒"_qs);
        QVERIFY(progress.runningText(2, 62000).contains(u"每分钟1次请求"_qs));
        QCOMPARE(progress.stoppedText(), u"已停止（第2轮，本轮新增3个）"_qs);
        QCOMPARE(SearchProgress::pausedText(u"网络不通"_qs, 125000), u"已暂停：网络不通，2分5秒后再试"_qs);
        progress.startPass(3, 0, 5000);
        QCOMPARE(progress.runningText(0, 5000), u"第3轮：没有可搜索的词，等待中"_qs);
    }

    void fetchFailuresGiveEmptyText()
    {
        TestHttpServer silent;
        silent.setSilent();
        const std::unique_ptr<HttpClient> network = HttpClient::create();
        QVERIFY(network);
        QObject context;
        QStringList results;
        XMLHttpGET(
            network.get(), u"http://"_qs + silent.hostPort() + u"/s"_qs, 1, &context,
            [&](const FetchReply& reply) { results.append(u"silent:"_qs + reply.text); }, {}, 300ms);
        XMLHttpGET(network.get(), u"http://127.0.0.1:%1/s"_qs.arg(TestHttpServer::closedPort()), 1, &context,
                   [&](const FetchReply& reply) { results.append(u"closed:"_qs + reply.text); });
        XMLHttpGET(network.get(), u"not a url"_qs, 1, &context,
                   [&](const FetchReply& reply) { results.append(u"bad:"_qs + reply.text); });
        // Without the network module nothing is sent, and the search sees a failure.
        XMLHttpGET(nullptr, u"http://"_qs + silent.hostPort() + u"/s"_qs, 1, &context, [&](const FetchReply& reply) {
            results.append(u"none:"_qs + reply.text + QString::number(reply.status));
        });
        QTRY_COMPARE(results.size(), 4);
        results.sort();
        QCOMPARE(results, (QStringList{u"bad:"_qs, u"closed:"_qs, u"none:0"_qs, u"silent:"_qs}));
    }
};

QTEST_GUILESS_MAIN(WebTextTest)
#include "tst_webtext.moc"
