#include "base/HttpClient.h"
#include "base/SiteNames.h"
#include "base/TextCodec.h"
#include "keywords/KeywordExport.h"
#include "keywords/KeywordFileLoader.h"
#include "keywords/KeywordRecords.h"
#include "keywords/KeywordRecordsModel.h"
#include "keywords/KeywordRules.h"
#include "keywords/KeywordSource.h"
#include "keywords/SearchProgress.h"
#include "keywords/SearchReply.h"
#include "keywords/SearchSettings.h"
#include "keywords/TextTable.h"
#include "keywords/WebText.h"
#include "keywords/XMLHttpGET.h"
#include "keywords/sources/PageBlocks.h"
#include "keywords/sources/SourceReplies.h"
#include "support/DistinctLinesModel.h"
#include "support/RecordText.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <QtNetwork>
#include <QtTest>
#include <climits>
#include <optional>

using namespace std::chrono_literals;
using Verdict = ReplyCheck::Verdict;

namespace {

FetchReply reply(const QString& text, int status = 200)
{
    FetchReply r;
    r.status = status;
    r.text = text;
    r.body = text.toUtf8();
    r.requested = r.finalUrl = QUrl(u"https://www.baidu.com/s?wd=k"_qs);
    return r;
}

// The filter's lines over the text as UTF-16 and as UTF-8.
QStringList distinct(const QString& text)
{
    QStringList lines;
    for (QStringView line : KeywordRules::DistinctLines(text))
        lines.append(line.toString());
    const QByteArray utf8 = text.toUtf8();
    QStringList utf8Lines;
    for (QByteArrayView line : KeywordRules::DistinctLines(QByteArrayView(utf8)))
        utf8Lines.append(QString::fromUtf8(line));
    return utf8Lines == lines ? lines : QStringList{u"(UTF-8 differs)"_qs};
}

QByteArray unzipped(const QString& archive, const QString& member)
{
    QProcess unzip;
    unzip.start(u"unzip"_qs, {u"-p"_qs, archive, member});
    return unzip.waitForFinished(30000) ? unzip.readAllStandardOutput() : QByteArray();
}

} // namespace

class KeywordsTest : public QObject
{
    Q_OBJECT

private slots:
    void pageText()
    {
        QCOMPARE(bBytesToBstr("\xEF\xBB\xBF\xE4\xB8\xAD"), u"中"_qs);
        QCOMPARE(ClearHtml(u"<a href=x>abc</a></th>"_qs), u"abc"_qs);
        QCOMPARE(ClearHtml(u"<b> x > y"_qs), u" y"_qs);
        QCOMPARE(ClearHtml(u"a < b <c>d"_qs), u"a < b d"_qs);
        QCOMPARE(ClearHtml(u"<\nb>x"_qs), u"<\nb>x"_qs); // a line feed right after "<" is no tag
        const QString page = u"xx<DIV>Body Text</Div>yy"_qs;
        QCOMPARE(GetBody(page, u"<div>"_qs, u"</div>"_qs, false, false), u"Body Text"_qs);
        QCOMPARE(GetBody(page, u"<div>"_qs, u"</div>"_qs, true, true), u"<DIV>Body Text</Div>"_qs);
        for (const QString& missing : {u"<a></a>"_qs, FalseMarker(), QString()})
            QCOMPARE(GetBody(missing, u"<a>"_qs, u"</a>"_qs, false, false), FalseMarker());
        QCOMPARE(GetBody(page, u"<div>"_qs, QString(), false, false), FalseMarker());
        QCOMPARE(KeywordRules::keywordFileBytes(u"  中\nb\n  "_qs), QByteArray("\xD6\xD0\r\nb\r\n\r\n"));
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
        QTest::newRow("bar star") << u"a|*\r\n*|a\r\n*"_qs << QStringList{u"*"_qs, u"*|a"_qs, u"a|*"_qs};
    }
    void distinctLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(distinct(text), lines);
        QCOMPARE(distinctLinesModel(text), lines); // the model the fuzz target holds the filter against
    }

    void baiduPieces()
    {
        QCOMPARE(KeywordRules::SuggestionPieces(u"window.bdsug.sug({q:\"k\",p:false,s:[\"a\",\"b\",\"c\"]});"_qs),
                 (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
        QCOMPARE(KeywordRules::SuggestionPieces(u"sug({q:\"k\",s:[\"a\""_qs), QStringList{});
        QCOMPARE(KeywordRules::SuggestionPieces(u"[\"a\",,\"b\"]"_qs), (QStringList{u"a"_qs, QString(), u"b"_qs}));
        QCOMPARE(KeywordRules::SuggestionPieces(u"x,y]z"_qs),
                 (QStringList{u"x"_qs, u"y"_qs})); // no "[": from the start
        // The related box of old pages comes first; today's box: the links to searches, tags gone, entities
        // decoded; the cards among the results after either.
        const QString card = u"<div class=\"result-op\" tpl=\"recommend_list\"><a href=\"/s?wd=%E4%B8%81\">丁</a>"
                             u"<a href=\"/s?wd=x&amp;rsv_dl=prs\">甲 乙</a><a href=\"/help\">帮助</a></div>"_qs;
        const QString old = u"<div class=\"tt\">相关搜索</div><table cellpadding=\"0\"><tr><th><a href=\"/s?wd=1\">"
                            u"甲 乙</a></th><td></td><th><a>丙</a></th></tr></table></div><div id=\"rs_new\"><table>"
                            u"<tr><td><a href=\"/s?wd=2\">戊</a></td></tr></table></div>"_qs;
        QCOMPARE(SourceReplies::baiduRelated(card + old).words, (QStringList{u"甲 乙"_qs, u"丙"_qs, u"丁"_qs}));
        const QString current = u"<html><div class=\"users\"><a href=\"/s?wd=0\">不是</a></div><div id=\"rs_new\" "
                                u"class=\"x\"><div>相关搜索</div><table class=\"rs\"><tr><td><a href=\"/s?wd=1\"><span>"
                                u"k&amp;1</span></a></td><td><a href='/s?wd=2' title=\"t\">k 乙</a></td><td></td></tr>"
                                u"<tr><td><a href=\"https://www.baidu.com/s?word=3\">k&#20007;</a><a href=\"/s?wd=\">"
                                u"空</a></td></tr></table></div>"_qs;
        const QStringList today{u"k&1"_qs, u"k 乙"_qs, u"k丧"_qs};
        QCOMPARE(SourceReplies::baiduRelated(current).words, today);
        QCOMPARE(SourceReplies::baiduRelated(QString(current).replace(u"rs_new"_qs, u"rs"_qs)).words, today);
        // A page without a box is no page the source can read; one with an empty box is.
        QVERIFY(!SourceReplies::baiduRelated(u"<html><body>no box</body></html>"_qs).readable);
        QVERIFY(SourceReplies::baiduRelated(u"<div id=rs></div>"_qs).readable);
        // "<3" is text, as a browser reads it; references to nothing a text can hold stay as written.
        QCOMPARE(PageBlocks::nextTag(u"a <3 b <i>", 0).start, 7);
        QCOMPARE(PageBlocks::decodeEntities(u"a&#0;b&#xD800;c&#65;&#x1F600;"), u"a&#0;b&#xD800;cA\U0001F600"_qs);
    }

    void requests_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("bm");
        const QString q = u"%E9%B2%9C%E8%8A%B1%20%61%26%62"_qs; // 鲜花 a&b, every byte escaped
        QTest::newRow("baidu") << u"baidu"_qs << u"H/su?wd=" + q + u"&tn=baidu&cb=window.bdsug.sug&from=superpage" << 0;
        QTest::newRow("baidu-related") << u"baidu-related"_qs << u"H/s?tn=baidu&ie=utf-8&word=" + q << 1;
        QTest::newRow("baidu-mobile") << u"baidu-mobile"_qs
                                      << u"H/sugrec?pre=1&p=3&ie=utf-8&json=1&prod=wise&from=wise_web&wd=" + q << 1;
        QTest::newRow("baidu-mobile-related") << u"baidu-mobile-related"_qs << u"H/s?ie=utf-8&word=" + q << 1;
        QTest::newRow("360") << u"360"_qs << u"H/suggest?format=json&encodein=utf-8&encodeout=utf-8&word=" + q << 1;
        QTest::newRow("sogou") << u"sogou"_qs << u"H/suggnew/ajajjson?key=" + q + u"&type=web" << 2;
        QTest::newRow("shenma") << u"shenma"_qs << u"H/web?t=w&q=" + q << 1;
        QTest::newRow("360-related") << u"360-related"_qs << u"H/s?q=" + q << 2;
        QTest::newRow("sogou-related") << u"sogou-related"_qs << u"H/web?query=" + q << 2;
        QTest::newRow("shenma-related") << u"shenma-related"_qs << u"H/s?q=" + q << 2;
    }
    void requests()
    {
        QFETCH(QString, source);
        QFETCH(QString, url);
        QFETCH(int, bm);
        const KeywordSource* named = KeywordSource::find(source);
        QVERIFY(named);
        const SourceRequest request = named->request(u"H"_qs, u"鲜花 a&b"_qs);
        QCOMPARE(request.url, url);
        QCOMPARE(request.bm, bm);
    }

    void replies_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("keywords");
        const QStringList none;
        const QStringList ab{u"鲜花a"_qs, u"鲜花\"b"_qs};
        QTest::newRow("mobile")
            << u"baidu-mobile"_qs
            << u"{\"q\":\"x\",\"p\":false,\"g\":[{\"type\":\"sug\",\"q\":\"鲜花a\"},{\"q\":\"鲜花\\\"b\"},{\"q\":3}]}"_qs
            << ab;
        QTest::newRow("360") << u"360"_qs
                             << u"{\"query\":\"x\",\"result\":[{\"word\":\"鲜花a\"},{\"word\":\"鲜花\\\"b\"}]}"_qs
                             << ab;
        QTest::newRow("360 broken") << u"360"_qs << u"{\"result\":[{\"word\":\"a\"}"_qs << none;
        QTest::newRow("sogou") << u"sogou"_qs
                               << u" window.sogou.sug([\"x\",[\"鲜花a\",\"鲜花\\\"b\"],[\"0;0;0;0\"],{\"l\":1}],-1);"_qs
                               << ab;
        QTest::newRow("sogou brackets in words") << u"sogou"_qs << u"window.sogou.sug([\"x\",[\"a]b\",\"(c)\"]],-1);"_qs
                                                 << QStringList{u"a]b"_qs, u"(c)"_qs};
        QTest::newRow("sogou other script") << u"sogou"_qs << u"alert([\"x\",[\"a\"]])"_qs << none;
        QTest::newRow("mobile related")
            << u"baidu-mobile-related"_qs
            << u"<div class=\"c-result\"><a href=\"/s?word=x\">不是</a></div><div id=\"relativewords\" class=\"se-"
               u"relativewords\"><div class=\"rw-title\">相关搜索</div><div class=\"rw-list\"><a href=\"/s?word=1\">"
               u"鲜花a</a><a href=\"/s?word=2\"><span>鲜花&quot;b</span></a></div></div><div><a>页脚</a></div>"_qs
            << ab;
        // A class is a word of the attribute, not a piece of one.
        QTest::newRow("mobile related by list")
            << u"baidu-mobile-related"_qs
            << u"<div class='rw-list-new'><a href=/s?word=a>a</a></div><ul class='x rw-list'><li><a href=/s?word=b>b"
               u"</a><a href=/s?word=c> </a><li><a href='/s?word=d'>d</a></ul>"_qs
            << QStringList{u"b"_qs, u"d"_qs};
        // An attribute without a value is followed by the others.
        QTest::newRow("attribute without value")
            << u"360-related"_qs << u"<div id=\"rs\"><a nofollow href=\"/s?q=x\">x</a></div>"_qs
            << QStringList{u"x"_qs};
        QTest::newRow("mobile related unclosed")
            << u"baidu-mobile-related"_qs
            << u"<div class='rw-list'><div><a href=/s?wd=a>a</a></div><a href=/s?wd=b>b</a>"_qs
            << QStringList{u"a"_qs, u"b"_qs};
        // The card's links go through a redirect; the search is in data-url.
        QTest::newRow("mobile related card and box")
            << u"baidu-mobile-related"_qs
            << u"<div tpl=\"recommend_list\"><div>其他人还在搜</div><a href=\"/tc?wd=\" "
               u"data-url=\"/s?word=a\">鲜花a</a>"
               u"<a href=\"/tc?x\" data-url=\"/s?word=b\">鲜花\"b</a><a href=\"/tc?y\">展开</a></div><div "
               u"class=\"c-result\">"
               u"<a>不是</a></div><section id=\"relativewords\"><div class=\"rw-list\"><a href=\"/s?word=a\">鲜花a</a>"
               u"<a class=\"rw-item\" href=\"/s?word=c\">鲜花c</a></div></section>"_qs
            << QStringList{u"鲜花a"_qs, u"鲜花\"b"_qs, u"鲜花c"_qs};
        QTest::newRow("mobile related none") << u"baidu-mobile-related"_qs << u"<div><a>a</a></div>"_qs << none;
        // Shenma answers with JSON handed to its callback, as the reply quoted in jpress-io/jpress
        // (ShenmaSugWordsVO.java, 2019) shows: window.shenma.sug({"q":…,"r":[{"w":…},…]});
        QTest::newRow("shenma")
            << u"shenma"_qs << u"window.shenma.sug({\"q\":\"x\",\"r\":[{\"w\":\"鲜花a\"},{\"w\":\"鲜花\\\"b\"}]});"_qs
            << ab;
        QTest::newRow("shenma json") << u"shenma"_qs << u"{\"r\":[{\"w\":\"a\"},{\"x\":\"b\"}]}"_qs
                                     << QStringList{u"a"_qs};
        QTest::newRow("360-related")
            << u"360-related"_qs
            << u"<a href=\"/s?q=x\">不是</a><div class=\"users\" data-id=\"rs\"><a href=\"/s?q=y\">也不是</a></div>"
               u"<div id=\"rs\"><h3>相关搜索</h3><table><tr><th><a "
               u"href=\"/s?q=%E9%B2%9C&amp;"
               u"src=related\">鲜花a</a></th><th><a href='/s?q=b'>鲜花&quot;b</a></th></tr></table>"
               u"<a href=\"https://info.so.com/feedback\">反馈</a></div>"_qs
            << ab;
        QTest::newRow("sogou-related")
            << u"sogou-related"_qs
            << u"<div class=\"hint-mid\" id=\"hint_container\"><table><tr><td><a href=\"/web?query=a&amp;ie=utf8\">"
               u"&#40092;&#33457;a</a></td><td><a href=\"/web?query=b\">&#x9c9c;&#x82b1;&#34;b</a></td></tr></table></div>"_qs
            << ab;
        QTest::newRow("shenma-related")
            << u"shenma-related"_qs
            << u"<div class=\"hot\"><a href=\"/s?q=hot\">热搜</a></div><div class=\"card\"><div><span>相关搜索</span>"
               u"</div><ul><li><a href=\"/s?q=a&amp;from=rel\">鲜花a</a></li><li><a href=\"https://m.sm.cn/s?q=b\">鲜花"
               u"&quot;b</a></li><li><a href=\"s?q=%E9%B2%9C%E8%8A%B1\">鲜花</a></li></ul></div><a href=\"/s?q="
               u"%E9%B2%9C%E8%8A%B1&amp;page=2\">下一页</a>"_qs
            << ab;
        QTest::newRow("shenma-related heading last")
            << u"shenma-related"_qs << u"<div><a href=\"s?q=a\">鲜花a</a>其他人还在搜"_qs << QStringList{u"鲜花a"_qs};
        QTest::newRow("baidu not the script") << u"baidu"_qs << u"<html>[\"a\"]</html>"_qs << none;
        QTest::newRow("baidu") << u"baidu"_qs << u" \r\nwindow.bdsug.sug({s:[\"a\",\"b\"]});"_qs
                               << QStringList{u"a"_qs, u"b"_qs};
    }
    void replies()
    {
        QFETCH(QString, source);
        QFETCH(QString, text);
        QFETCH(QStringList, keywords);
        const KeywordSource* named = KeywordSource::find(source);
        QVERIFY(named);
        FetchReply sent = reply(text);
        sent.requested = QUrl(u"https://m.sm.cn/s?q=%E9%B2%9C%E8%8A%B1"_qs); // 鲜花
        QCOMPARE(named->keywords(sent), keywords);
    }

    // Pages the engines really sent, saved by others: each parser keeps exactly the words a person sees
    // in its blocks (the folder's README names them), and a verification page gives none.
    void realPages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("seed");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<qint64>("results"); // -1: the page states none
        QFile readme(QStringLiteral(QUILLON_REAL_PAGES "/README.md"));
        if (!readme.open(QIODevice::ReadOnly))
            QSKIP("the saved pages are not beside the project (../shared/real-pages)");
        // Which source reads a page, from what the README says it is.
        const QList<std::pair<QString, QString>> engines{
            {u"百度安全验证"_qs, QString()},
            {u"m.baidu.com result page"_qs, u"baidu-mobile-related"_qs},
            {u"www.baidu.com result page"_qs, u"baidu-related"_qs},
            {u"www.so.com result page"_qs, u"360-related"_qs},
            {u"sogou.com/web result page"_qs, u"sogou-related"_qs},
            {u"m.sm.cn result page"_qs, u"shenma-related"_qs},
            {u"/su?"_qs, u"baidu"_qs},
            {u"/sugrec"_qs, u"baidu-mobile"_qs},
            {u"360"_qs, u"360"_qs},
            {u"Sogou suggest"_qs, u"sogou"_qs},
            {u"Shenma suggest"_qs, u"shenma"_qs},
        };
        // Blocks a person sees that a README row does not name (taken with Python's html.parser as well).
        const QHash<QString, QString> unnamed{
            {u"kr_sogou_pc.html"_qs,
             u"汉口注册公司, 武汉代注册公司, 武汉个人注册公司, 武汉免费注册公司, 武汉公司注册代理, "
             u"武汉代办公司注册, 武汉工商注册代理, 武汉工商注册代办, 武汉新公司注册流程, "
             u"武汉注册公司流程及费用, 工商注册代理公司"_qs}, // div.hint-mid, 91%的人还搜了
        };
        static const QRegularExpression label(u"^[a-z ]+: "_qs);
        const QString text = QString::fromUtf8(readme.readAll());
        // The result counts the desktop pages state, as the README quotes them.
        QHash<QString, qint64> counts;
        static const QRegularExpression stated(u"`([^`]+)` [^`;]*?([0-9][0-9,]*)[个条]"_qs);
        for (const QRegularExpressionMatch& match : stated.globalMatch(text))
            counts.insert(match.captured(1), match.captured(2).remove(u',').toLongLong());
        QVERIFY(counts.size() >= 4);
        for (const QString& line : text.split(u'\n')) {
            const QStringList cells = line.split(u" | "_qs);
            if (!line.startsWith(u"| `"_qs) || cells.size() < 5)
                continue;
            const QString file = cells[0].mid(3).chopped(1);
            const auto engine =
                std::find_if(engines.begin(), engines.end(), [&](const auto& e) { return cells[1].contains(e.first); });
            QVERIFY2(engine != engines.end(), qPrintable(u"no source reads "_qs + file));
            QStringList words = unnamed.value(file).split(u", "_qs, Qt::SkipEmptyParts);
            for (QString part : cells[4].chopped(2).split(u"; "_qs)) {
                part.remove(label);
                if (part != u"—")
                    words += part.split(u", "_qs);
            }
            QTest::newRow(qPrintable(file)) << file << engine->second << cells[2] << words << counts.value(file, -1);
        }
    }
    void realPages()
    {
        QFETCH(QString, file);
        QFETCH(QString, source);
        QFETCH(QString, seed);
        QFETCH(QStringList, words);
        QFETCH(qint64, results);
        QFile page(QStringLiteral(QUILLON_REAL_PAGES "/") + file);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray body = page.readAll();
        const QStringList sources = source.isEmpty() ? QStringList{u"baidu-related"_qs, u"baidu-mobile-related"_qs,
                                                                   u"360-related"_qs, u"sogou-related"_qs}
                                                     : QStringList{source};
        for (const QString& name : sources) {
            const KeywordSource* named = KeywordSource::find(name);
            QVERIFY(named);
            FetchReply sent = reply(QString::fromUtf8(body));
            sent.requested = sent.finalUrl = QUrl(named->request(named->defaultHost, seed).url);
            QCOMPARE(int(named->check(sent).verdict), int(source.isEmpty() ? Verdict::Blocked : Verdict::Answer));
            // Blocks in page order; the README names them by kind.
            const SourceWords read = named->read(sent);
            QCOMPARE(read.readable, !source.isEmpty());
            QStringList kept = read.words;
            kept.sort();
            words.sort();
            QCOMPARE(kept, words);
            QCOMPARE(read.results.value_or(-1), source.isEmpty() ? -1 : results);
        }
    }

    // What a person reads at the top of the results, and nothing a page says elsewhere.
    void resultCounts_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("page");
        QTest::addColumn<qint64>("results");
        QTest::newRow("none") << u"baidu-related"_qs << u"<div id=\"rs\">找到相关结果</div>"_qs << qint64(-1);
        QTest::newRow("in a script") << u"360-related"_qs
                                     << u"<script>x='找到相关结果约5个'</script><p>找到相关结果约7个</p>"_qs
                                     << qint64(7);
        QTest::newRow("in a comment") << u"360-related"_qs << u"<!-- 找到相关结果约5个 --><p>结果</p>"_qs << qint64(-1);
        QTest::newRow("full width, across tags")
            << u"baidu-related"_qs << u"<span>百度为您找到相关结果 约<b>１，２３４</b> 个</span>"_qs << qint64(1234);
        QTest::newRow("a snippet's count is no total")
            << u"sogou-related"_qs << u"<p>为你找到1,017条重庆h型钢</p><p>找到约12条相关结果</p>"_qs << qint64(12);
        QTest::newRow("separator without digits") << u"sogou-related"_qs << u"找到约,12条相关结果"_qs << qint64(-1);
        QTest::newRow("mobile page") << u"baidu-mobile-related"_qs << u"找到相关结果约9个"_qs << qint64(-1);
    }
    void resultCounts()
    {
        QFETCH(QString, source);
        QFETCH(QString, page);
        QFETCH(qint64, results);
        QCOMPARE(KeywordSource::find(source)->read(reply(page)).results.value_or(-1), results);
    }

    void blockSigns_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("finalUrl");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("reason");
        const int blocked = int(Verdict::Blocked), answer = int(Verdict::Answer);
        const QString here;
        QTest::newRow("answer") << u"baidu"_qs << u"x"_qs << 200 << here << answer << QString();
        QTest::newRow("403") << u"baidu"_qs << u"x"_qs << 403 << here << blocked << u"百度拒绝了请求（403）"_qs;
        QTest::newRow("360 403") << u"360"_qs << QString() << 403 << here << blocked << u"360搜索拒绝了请求（403）"_qs;
        QTest::newRow("sogou 429") << u"sogou"_qs << QString() << 429 << here << blocked << u"搜狗拒绝了请求（429）"_qs;
        QTest::newRow("captcha") << u"baidu-mobile"_qs << QString() << 200
                                 << u"https://wappass.baidu.com/static/captcha/tuxing.html"_qs << blocked
                                 << u"百度要求安全验证"_qs;
        QTest::newRow("antispider") << u"sogou"_qs << u"x"_qs << 200 << u"https://www.sogou.com/antispider/?from=x"_qs
                                    << blocked << u"搜狗要求安全验证"_qs;
        QTest::newRow("verification page")
            << u"baidu"_qs << u"<html><head><title>百度安全验证</title></head><body>[\"a\"]</body></html>"_qs << 200
            << here << blocked << u"百度要求安全验证"_qs;
        QTest::newRow("captcha prompt") << u"baidu"_qs << u"<html><body>请输入验证码</body></html>"_qs << 200 << here
                                        << blocked << u"百度要求安全验证"_qs;
        // A result page about verification, or suggestions that hold the words, are answers like any other.
        QTest::newRow("page about verification")
            << u"baidu"_qs << u"<html><title>安全验证_百度搜索</title><body>百度安全验证</body></html>"_qs << 200
            << here << answer << QString();
        QTest::newRow("360 anomaly") << u"360-related"_qs << u"<html><title>访问异常</title></html>"_qs << 200 << here
                                     << blocked << u"360搜索要求安全验证"_qs;
        QTest::newRow("sogou page about it")
            << u"sogou-related"_qs << u"<html><title>访问异常 - 搜狗搜索</title></html>"_qs << 200 << here << answer
            << QString();
        // Verification is told by its mark-up whatever the title; a result page about it is an answer.
        QTest::newRow("sogou code form")
            << u"sogou-related"_qs
            << u"<html><title>搜狗搜索</title><form name=\"authform\" action=\"/\"><img src=\"util/x.php\"><input "
               u"type=\"text\" name=\"c\" placeholder=\"请输入图中的验证码\" id=\"seccodeInput\"></form></html>"_qs
            << 200 << here << blocked << u"搜狗要求安全验证"_qs;
        QTest::newRow("qcaptcha script")
            << u"360-related"_qs
            << u"<html><title>360搜索</title><script src=\"//s.so.com/qcaptcha/v1/x.js\"></script>"_qs << 200 << here
            << blocked << u"360搜索要求安全验证"_qs;
        QTest::newRow("antispider form") << u"sogou-related"_qs
                                         << u"<html><form action=\"/antispider/thank.php\"><input name=\"r\"></form>"_qs
                                         << 200 << here << blocked << u"搜狗要求安全验证"_qs;
        QTest::newRow("result page about codes")
            << u"sogou-related"_qs
            << u"<html><title>验证码 - 搜狗搜索</title><form action=\"/web\"><input name=\"query\" value=\"验证码"
               u"\"></form><a href=\"/web?query=antispider\">antispider</a><script>var u='/antispider/'</script>"_qs
            << 200 << here << answer << QString();
        QTest::newRow("suggestion") << u"baidu"_qs << u"window.bdsug.sug({s:[\"安全验证码\"]});"_qs << 200 << here
                                    << answer << QString();
    }
    void blockSigns()
    {
        QFETCH(QString, source);
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(QString, finalUrl);
        QFETCH(int, verdict);
        QFETCH(QString, reason);
        FetchReply sent = reply(text, status);
        if (!finalUrl.isEmpty())
            sent.finalUrl = QUrl(finalUrl);
        const KeywordSource* named = KeywordSource::find(source);
        QVERIFY(named);
        const ReplyCheck check = named->check(sent);
        QCOMPARE(int(check.verdict), verdict);
        QCOMPARE(check.reason, reason);
    }

    void decodesByTheReplysCharset_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        const QByteArray gbk = TextCodec::toAnsi(u"鲜花"_qs);
        QTest::newRow("gbk") << gbk << QByteArray("text/javascript; charset=GBK");
        QTest::newRow("gb2312 quoted") << gbk << QByteArray("text/javascript;charset=\"gb2312\"");
        QTest::newRow("cp936") << gbk << QByteArray("text/html; charset=cp936; x=y");
        QTest::newRow("utf-8") << QByteArray("鲜花") << QByteArray("application/json; charset=utf-8");
        QTest::newRow("none, utf-8") << QByteArray("鲜花") << QByteArray("text/plain");
        QTest::newRow("none, gbk") << gbk << QByteArray();
    }
    void decodesByTheReplysCharset()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QCOMPARE(decodeByCharset(body, contentType), u"鲜花"_qs);
    }

    void registrableDomains()
    {
        const QList<std::pair<QString, QString>> cases{{u"wappass.baidu.com"_qs, u"baidu.com"_qs},
                                                       {u"a.example.com.cn"_qs, u"example.com.cn"_qs},
                                                       {u"a.com.cn"_qs, u"a.com.cn"_qs},
                                                       {u"x.github.io"_qs, u"x.github.io"_qs},
                                                       {u"::1"_qs, u"::1"_qs},
                                                       {u"M.Baidu.COM"_qs, u"baidu.com"_qs}};
        for (const auto& [host, domain] : cases)
            QCOMPARE(SiteNames::registrableDomain(host), domain);
    }

    // What a fetch hands over: the text decoded, redirects followed only within the registrable domain,
    // and nothing at all for what cannot be trusted or reached.
    void fetches_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("verdict");
        const int failed = int(Verdict::NetworkFailure), answer = int(Verdict::Answer);
        QTest::newRow("gbk") << u"/gbk"_qs << 200 << u"中文"_qs << answer;
        QTest::newRow("utf-8") << u"/utf8"_qs << 200 << u"中文"_qs << answer;
        QTest::newRow("redirect within the host") << u"/same"_qs << 200 << u"ok"_qs << answer;
        QTest::newRow("redirect to another host") << u"/elsewhere"_qs << 0 << QString() << failed;
        QTest::newRow("redirect to verification") << u"/verify"_qs << 302 << QString() << int(Verdict::Blocked);
        QTest::newRow("5 MiB body") << u"/big"_qs << 0 << QString() << failed;
        QTest::newRow("5 MiB that compresses") << u"/bomb"_qs << 0 << QString() << failed;
        QTest::newRow("under 4 MiB") << u"/limit"_qs << 200 << QString() << answer;
        QTest::newRow("silent") << u"/silent"_qs << 0 << QString() << failed;
        QTest::newRow("trickling past the limit") << u"/trickle"_qs << 0 << QString() << failed;
        QTest::newRow("closed port") << u"closed"_qs << 0 << QString() << failed;
        QTest::newRow("bad address") << u"not a url"_qs << 0 << QString() << failed;
        QTest::newRow("no network module") << u"none"_qs << 0 << QString() << failed;
        QTest::newRow("local file") << u"file"_qs << 0 << QString() << failed;
        // Through a proxy that is not there: the proxy's failure, whether the address asked is http or https.
        QTest::newRow("dead proxy") << u"http://suggestion.invalid/s"_qs << 0 << QString()
                                    << int(Verdict::ProxyFailure);
        QTest::newRow("dead proxy, https")
            << u"https://suggestion.invalid/s"_qs << 0 << QString() << int(Verdict::ProxyFailure);
        // A proxy that is there but cannot reach the site refuses the tunnel: the site's failure, not the proxy's.
        for (const char* code : {"502", "503", "404"})
            QTest::newRow(code) << u"https://tunnel"_qs + QLatin1String(code) + u".invalid/s"_qs << 0 << QString()
                                << failed;
    }
    void fetches()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(int, verdict);
        TestHttpServer server;
        // Bodies that do not compress: the server may compress what it sends, the limit is what arrives.
        // Made once for every row.
        auto noise = [](qsizetype size) {
            QByteArray bytes(size, Qt::Uninitialized);
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
            return TestHttpServer::Reply{bytes, "application/octet-stream"};
        };
        static const TestHttpServer::Reply big = noise(5 * 1024 * 1024), underLimit = noise(kMaxReplyBytes - 4),
                                           bomb{QByteArray(5 * 1024 * 1024, 'a')};
        auto moved = [](const QByteArray& location) {
            return TestHttpServer::Reply{{}, "text/html", {}, 302, false, location};
        };
        const QMap<QByteArray, TestHttpServer::Reply> routes{
            {"/gbk", {TextCodec::toAnsi(u"中文")}},
            {"/utf8", {u"中文"_qs.toUtf8()}},
            {"/big", big},
            {"/limit", underLimit},
            {"/bomb", bomb},
            {"/silent", {{}, "text/html", {}, 200, true}},
            {"/trickle", {QByteArray(100, 'x'), "text/html", {}, 200, false, {}, 100}},
            {"/same", moved("/ok")},
            {"/elsewhere", moved("http://localhost:" + QByteArray::number(server.port()) + "/ok")},
            {"/verify", moved("https://wappass.baidu.com/static/captcha/tuxing.html")},
            {"/ok", {"ok"}},
        };
        server.setHandler([routes](const TestHttpServer::Request& request) { return routes.value(request.path); });
        const std::unique_ptr<HttpClient> network = HttpClient::create();
        QVERIFY(network);
        if (path.contains(u"suggestion.invalid"_qs))
            network->setProxy(QUrl(TestHttpServer::closedUrl()));
        // A proxy that answers every request, a CONNECT among them, with the status the address names.
        QTcpServer proxy;
        QVERIFY(proxy.listen(QHostAddress::LocalHost));
        connect(&proxy, &QTcpServer::newConnection, &proxy, [&proxy, code = path.mid(14, 3).toLatin1()] {
            QTcpSocket* client = proxy.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, client, [client, code] {
                if (client->readAll().contains("\r\n\r\n")) {
                    client->write("HTTP/1.1 " + code + " No\r\nContent-Length: 0\r\n\r\n");
                    client->disconnectFromHost();
                }
            });
        });
        if (path.contains(u"tunnel"_qs))
            network->setProxy(QUrl(u"http://127.0.0.1:"_qs + QString::number(proxy.serverPort())));
        QTemporaryFile local; // a local file is no reply, whatever it holds
        QVERIFY(local.open() && local.write("local") == 5 && local.flush());
        QString url = path.startsWith(u'/') || path == u"none" ? u"http://"_qs + server.hostPort() + path : path;
        if (path == u"closed")
            url = TestHttpServer::closedUrl() + u"/s";
        if (path == u"file")
            url = QUrl::fromLocalFile(local.fileName()).toString();
        QObject context;
        std::optional<FetchReply> result;
        XMLHttpGET(
            path == u"none" ? nullptr : network.get(), url, path == u"/gbk" ? 0 : 1, &context,
            [&](const FetchReply& fetched) { result = fetched; }, {},
            path == u"/silent" || path == u"/trickle" ? 1s : 30s);
        QTRY_VERIFY(result);
        QCOMPARE(result->status, status);
        if (path != u"/limit")
            QCOMPARE(result->text, text);
        QCOMPARE(int(SearchReply::check(*result).verdict), verdict);
    }

    void aFetchNeverReachesAContextBeingDestroyed()
    {
        TestHttpServer silent;
        silent.setSilent();
        const std::unique_ptr<HttpClient> network = HttpClient::create();
        QVERIFY(network);
        int calls = 0;
        auto* context = new QObject;
        XMLHttpGET(network.get(), u"http://"_qs + silent.hostPort() + u"/s"_qs, 1, context,
                   [&](const FetchReply&) { ++calls; });
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
        QCOMPARE(calls, 0);
    }

    // A list too large for memory fails its load: nothing is handed over, and the program goes on.
    void aLoadOutOfMemoryHandsOverNothing()
    {
        QByteArray received = "nothing";
        KeywordFileLoader loader([&received](const QByteArray& lines) { received = lines; });
        QSignalSpy finished(&loader, &KeywordFileLoader::finished);
        loader.run([]() -> QByteArray { throw std::bad_alloc(); });
        QVERIFY(finished.wait(5000));
        QVERIFY(loader.ranOutOfMemory());
        QCOMPARE(received, QByteArray("nothing"));
    }

    void backoffAndStatusLine()
    {
        SearchBackoff backoff(1min);
        QList<qint64> minutes;
        for (int i = 0; i < 8; ++i)
            minutes.append(std::chrono::duration_cast<std::chrono::minutes>(backoff.next()).count());
        QCOMPARE(minutes, (QList<qint64>{1, 2, 4, 8, 16, 30, 30, 30}));
        backoff.reset();
        QCOMPARE(backoff.next(), std::chrono::milliseconds(1min));

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

    void settingsKeepWhatTheyDoNotKnow()
    {
        TestFolder folder;
        const QString ini = folder.filePath(u"keywords.ini"_qs);
        folder.write(
            u"keywords.ini"_qs,
            "; my hosts\r\n[hosts]\r\nsuggest=http://127.0.0.1:1/\r\nown=x\r\nbad=\r\n\r\n"
            "[search]\nsources=baidu, 360,nope,baidu\nafter-seed=0.2\n; about depth\n"
            "depth=-2\nexpand=words,az,nope\n\n; about other\n[other]\nk=v\n[expand]\nwords= 怎么||价格\n[proxies]\n"
            "http://127.0.0.1:8080\n; x\nsocks5://u:p@h:0\n");
        SearchSettings settings = SearchSettings::load(ini);
        QCOMPARE(settings.sources, (QStringList{u"baidu"_qs, u"360"_qs}));
        QCOMPARE(settings.unknownSources, QStringList{u"nope"_qs});
        QCOMPARE(settings.afterSeed, 1000ms); // never below a second
        QCOMPARE(settings.depth, 0);
        QCOMPARE(settings.proxies, QList<QUrl>{QUrl(u"http://127.0.0.1:8080"_qs)});
        QCOMPARE(settings.badProxyLines, QList<int>{3});
        QCOMPARE(QFileInfo(ini).permissions() & QFileDevice::Permissions(0x7077),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner); // a password in it, on a line that is no proxy
        // The letters, then the words, whatever order the file names them in.
        const QStringList expansions = settings.expansions();
        QCOMPARE(expansions.size(), 28);
        QCOMPARE(expansions.mid(25), (QStringList{u"z"_qs, u"怎么"_qs, u"价格"_qs}));
        const KeywordSource* baidu = KeywordSource::find(u"baidu");
        const KeywordSource* sogou = KeywordSource::find(u"sogou");
        QVERIFY(baidu && sogou);
        QCOMPARE(settings.host(*baidu), u"http://127.0.0.1:1"_qs);
        QCOMPARE(settings.host(*sogou), u"https://www.sogou.com"_qs);
        QVERIFY(!settings.hosts.contains(u"bad"_qs));

        settings.sources = {u"sogou"_qs};
        settings.afterSeed = 2500ms;
        settings.skipAsked = true;
        settings.depth = 3;
        // Pasted line breaks and a leading @ read back as typed, and start no lines of their own.
        settings.exclude = {u"@Variant(x)"_qs, u"招聘"_qs, u"a;b"_qs, u"x\r\n[hosts]\nsuggest=http://elsewhere"_qs};
        settings.include = {u"*seed*"_qs, u"x,\"y\""_qs};
        QVERIFY(settings.save(ini));
        const QString written = QString::fromUtf8(folder.read(u"keywords.ini"_qs));
        // Every other line stays as it was; new keys go after the section's last key, before the blank
        // line and the comment that follow it; a new section goes at the end.
        QVERIFY2(
            written.startsWith(
                u"; my hosts\n[hosts]\nsuggest=http://127.0.0.1:1/\nown=x\nbad=\n\n[search]\n"
                u"sources=sogou\nafter-seed=2.5\n; about depth\ndepth=3\nexpand=\"az,words\"\nskip-asked=true\n\n"
                u"; about other\n[other]\nk=v\n[expand]\nwords= 怎么||价格\n[proxies]\nhttp://127.0.0.1:8080\n; x\n"
                u"socks5://u:p@h:0\n\n[filter]\n"_qs),
            qPrintable(written));
        QCOMPARE(written.split(u'\n').count(u"[hosts]"_qs), 1);
        for (const auto& [seed, expansion, query] : {std::tuple{u"手机"_qs, u"a"_qs, u"手机a"_qs},
                                                     {u"iphone"_qs, u"a"_qs, u"iphone a"_qs},
                                                     {u"iphone"_qs, u"怎么"_qs, u"iphone怎么"_qs},
                                                     {u"\U00020000"_qs, u"1"_qs, u"\U000200001"_qs}})
            QCOMPARE(SearchSettings::expandedQuery(seed, expansion), query);
        const SearchSettings again = SearchSettings::load(ini);
        QCOMPARE(again.exclude, settings.exclude);
        QCOMPARE(again.include, settings.include);
        QCOMPARE(again.expansions(), expansions);
        QVERIFY(SearchSettings().save(folder.filePath(u"new.ini"_qs)));
        QVERIFY(folder.read(u"new.ini"_qs).startsWith("[search]\nsources=\n"));
        QCOMPARE(QFileInfo(folder.filePath(u"new.ini"_qs)).permissions() & QFileDevice::Permissions(0x7077),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Neighbours that share their start, texts longer than what is shared, the empty text: each keeps
    // its own number, and nothing else is found.
    void textTableKeepsEveryTextApart()
    {
        QStringList texts{QString(), u"a"_qs, QString(300, u'长') + u'1', QString(300, u'长') + u'2'};
        for (int i = 0; i < 100; ++i)
            texts << u"长尾" + QString::number(i) << u"长尾" + QString::number(i) + u"词";
        TextTable table;
        for (qsizetype i = 0; i < texts.size(); ++i)
            QCOMPARE(table.insert(texts[i]), quint32(i + 1));
        for (qsizetype i = 0; i < texts.size(); ++i)
            QCOMPARE(table.find(texts[i]), quint32(i + 1));
        for (const QString& other : {u"长尾"_qs, QString(300, u'长'), u"长尾1词词"_qs, u"长尾100"_qs, u"b"_qs})
            QCOMPARE(table.find(other), quint32(0));
    }

    void recordsRoundTrip()
    {
        // Times go to the file as local time, here eight hours off UTC, and come back the same instant.
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "CST-8");
        const auto restoreZone = qScopeGuard([zone] { zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone); });
        KeywordRecords records;
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 30, 5), QTimeZone(8 * 3600));
        records.add(u"a\tb\\c"_qs, {u"种\t子"_qs, u"baidu"_qs, 2, when, u"a\tb"_qs, 7});
        records.add(u"e"_qs, {u"s"_qs, u"360"_qs, 1, {}});
        records.countAgain(u"e");
        records.add(u"e"_qs, {u"later"_qs, u"sogou"_qs, 5, when}); // the first record stays
        records.add(u"gone"_qs, {u"s"_qs, u"360"_qs, 1, when});
        records.setResults(0, u"e", 27100);
        records.setResults(2, u"e", 56812);
        records.setResults(2, u"e", 5e9); // past what is kept: the most that is
        // Only lines of the list are written, in its order.
        const QByteArray tsv = records.toTsv(u"e\r\ntyped\na\tb\\c\ne\n"_qs);
        QCOMPARE(tsv.count('\n'), 4);
        const KeywordRecords back = KeywordRecords::fromTsv(tsv);
        QCOMPARE(back.size(), 2);
        QCOMPARE(recordOf(back, u"a\tb\\c"_qs), u"种\t子 baidu 2"_qs);
        const KeywordRecord first = back.find(u"a\tb\\c").value_or(KeywordRecord{});
        QCOMPARE(first.found, when);
        QCOMPARE(first.expansion, u"a\tb"_qs);
        QCOMPARE(first.count, 7);
        QCOMPARE(back.find(u"e").value_or(KeywordRecord{}).count, 2);
        QCOMPARE(back.results(0, u"e"), std::optional<qint64>(27100));
        QCOMPARE(back.results(2, u"e"), std::optional<qint64>(UINT_MAX - 1));
        QCOMPARE(back.lowestResults(u"e"), std::optional<qint64>(27100));
        QVERIFY(!back.results(1, u"e") && !back.lowestResults(u"a\tb\\c"));
        // A file of the five columns of old loads, each word counted once, from its seed itself.
        const KeywordRecords old =
            KeywordRecords::fromTsv("keyword\tseed\tsource\tpass\tfound\nx\ts\tbaidu\t3\t\ncut\tshort\n");
        QCOMPARE(recordOf(old, u"x"_qs), u"s baidu 3"_qs);
        QCOMPARE(old.find(u"x").value_or(KeywordRecord{}).count, 1);
        QCOMPARE(old.size(), 1);                                           // a line cut short is no record
        QCOMPARE(KeywordRecords::fromTsv("y\ts\tbaidu\t1\t\n").size(), 1); // no header: every line a record
        QCOMPARE(recordOf(back, u"e"_qs), u"s 360 1"_qs);
        QVERIFY(back.find(u"e") && !back.find(u"e")->found.isValid());
        QVERIFY(!back.find(u"gone"));
        QVERIFY(!back.find(u"typed"));

        // Every field keeps its value far past what a run reaches; what cannot be kept is refused, and
        // counted, never kept as another value.
        KeywordRecords wide;
        wide.add(u"deep"_qs, {u"s"_qs, u"baidu"_qs, 100000, when, QString(), 5000});
        for (int i = 0; i < 300; ++i)
            wide.add(QString(u"w"_qs + QString::number(i)), {u"s"_qs, u"source" + QString::number(i), 1, when});
        for (int i = 0; i < 70000; ++i)
            wide.add(QString(u"x"_qs + QString::number(i)), {u"s"_qs, u"baidu"_qs, 1, when, QString::number(i)});
        QCOMPARE(wide.find(u"deep").value_or(KeywordRecord{}).pass, 100000);
        QCOMPARE(wide.find(u"deep").value_or(KeywordRecord{}).count, 5000);
        QCOMPARE(wide.find(u"w254").value_or(KeywordRecord{}).source, u"source254"_qs);
        QVERIFY(!wide.find(u"w255")); // a 257th name: baidu is the first
        QCOMPARE(wide.find(u"x65534").value_or(KeywordRecord{}).expansion, u"65534"_qs);
        QVERIFY(!wide.find(u"x65535"));
        QCOMPARE(wide.refused(), (300 - 255) + (70000 - 65535));

        // A word's path runs back to the seed that has no record; a word that was its seed's seed ends it.
        KeywordRecords chain;
        chain.add(u"b"_qs, {u"a"_qs, u"baidu"_qs, 1, when});
        chain.add(u"c"_qs, {u"b"_qs, u"baidu"_qs, 2, when});
        chain.add(u"x"_qs, {u"y"_qs, u"baidu"_qs, 2, when});
        chain.add(u"y"_qs, {u"x"_qs, u"baidu"_qs, 2, when});
        QCOMPARE(chain.path(u"c"), QStringList({u"a"_qs, u"b"_qs}));
        QCOMPARE(chain.path(u"x"), QStringList{u"y"_qs});
        QCOMPARE(chain.path(u"a"), QStringList());

        // The pairs asked go to a file of their own beside the records and come back from it.
        TestFolder folder;
        QVERIFY(KeywordRecords().write(folder.filePath(u"none.tsv"_qs), u"a\n") && !folder.exists(u"none.tsv"_qs));
        const QString path = KeywordRecords::pathBeside(folder.filePath(u"word.txt"_qs));
        const int baidu = 0, so360 = KeywordSource::indexOf(*KeywordSource::find(u"360"));
        records.markAsked(baidu, u"种\t子a"_qs, u"种\t子"_qs);
        // What an engine said of a seed of the table, which has no record of its own, is kept with the pair.
        const int so360Related = KeywordSource::indexOf(*KeywordSource::find(u"360-related"));
        records.markAsked(so360Related, u"种\t子"_qs, u"种\t子"_qs);
        records.setResults(1, u"种\t子", 3330000);
        QVERIFY(records.askedThisRun(baidu, u"种\t子a"_qs) && !records.askedBefore(baidu, u"种\t子a"_qs));
        QVERIFY(records.write(path, u"e\n"_qs));
        QVERIFY(folder.exists(u"word.asked.tsv"_qs));
        KeywordRecords read = KeywordRecords::read(path);
        QVERIFY(read.askedBefore(baidu, u"种\t子"_qs));
        QCOMPARE(read.results(1, u"种\t子"), std::optional<qint64>(3330000));
        QCOMPARE(read.results(0, u"e"), std::optional<qint64>(27100));
        QVERIFY(!read.askedBefore(so360, u"种\t子"_qs) && !read.askedThisRun(baidu, u"种\t子a"_qs));
        records.startRun();
        QVERIFY(!records.askedThisRun(baidu, u"种\t子a"_qs) && records.askedBefore(baidu, u"种\t子"_qs));
    }

    // The records view's rows: every column sorts both ways, texts that share a long start too; rows
    // that come and go with the list keep the order, without starting over.
    void recordsModelOrder()
    {
        KeywordRecords records;
        const QStringList keywords{u"b"_qs, u"abcde2"_qs, u"ab"_qs, u"abcde1"_qs, u"abcd"_qs, u"c"_qs};
        for (qsizetype i = 0; i < keywords.size(); ++i)
            records.add(keywords[i],
                        {u"s"_qs + QString::number(i % 2), i % 2 ? u"360-related"_qs : u"baidu"_qs, int(i),
                         QDateTime::fromSecsSinceEpoch(1000 - i), i == 1 ? u"x"_qs : QString(), int(3 - i % 3)});
        records.setResults(1, u"ab", 50);
        records.setResults(0, u"b", 7);
        KeywordRecordsModel model(records);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.setList(u"b\nabcde2\nab\r\nabcde1\nabcd\nnone\n"_qs);
        auto keywordsShown = [&model] {
            QStringList shown;
            for (int row = 0; row < model.rowCount(); ++row)
                shown.append(model.index(row, 0).data().toString());
            return shown.join(u' ');
        };
        QCOMPARE(keywordsShown(), u"b abcde2 ab abcde1 abcd"_qs);
        const QList<std::tuple<int, Qt::SortOrder, QString>> orders{
            {KeywordRecordsModel::Keyword, Qt::AscendingOrder, u"ab abcd abcde1 abcde2 b"_qs},
            {KeywordRecordsModel::Keyword, Qt::DescendingOrder, u"b abcde2 abcde1 abcd ab"_qs},
            {KeywordRecordsModel::Count, Qt::DescendingOrder, u"b abcde1 abcde2 abcd ab"_qs},
            {KeywordRecordsModel::Results, Qt::AscendingOrder, u"b ab abcde2 abcde1 abcd"_qs},
            {KeywordRecordsModel::Source, Qt::AscendingOrder, u"abcde2 abcde1 b ab abcd"_qs},
            {KeywordRecordsModel::Seed, Qt::DescendingOrder, u"abcde2 abcde1 b ab abcd"_qs},
            {KeywordRecordsModel::Pass, Qt::DescendingOrder, u"abcd abcde1 ab abcde2 b"_qs},
            {KeywordRecordsModel::Found, Qt::AscendingOrder, u"abcd abcde1 ab abcde2 b"_qs},
            {-1, Qt::AscendingOrder, u"b abcde2 ab abcde1 abcd"_qs},
        };
        for (const auto& [column, order, expected] : orders) {
            model.sort(column, order);
            QCOMPARE(keywordsShown(), expected);
        }
        QCOMPARE(model.index(0, KeywordRecordsModel::Results).data().toString(), u"7"_qs);
        QCOMPARE(model.index(2, KeywordRecordsModel::Results).data(Qt::ToolTipRole).toString(), u"360：50"_qs);
        QVERIFY(model.headerData(KeywordRecordsModel::Results, Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .contains(u"最少"));
        QVERIFY(model.keywordAt(model.rowCount()).isEmpty() && model.pathAt(-1).isEmpty());

        // The list changes: rows go and come one by one where the order has them.
        model.sort(KeywordRecordsModel::Keyword, Qt::AscendingOrder);
        resets.clear();
        model.setList(u"c\nabcde2\nab\nabcd\n"_qs);
        QCOMPARE(keywordsShown(), u"ab abcd abcde2 c"_qs);
        QCOMPARE(model.listedCount(), 4);
        QCOMPARE(resets.count(), 0);
        model.setFilter({u"BC"_qs, u"360-related"_qs, 1});
        QCOMPARE(keywordsShown(), u"abcde2"_qs);
        records.add(u"abc"_qs, {u"s"_qs, u"360-related"_qs, 1, {}});
        records.add(u"xbc"_qs, {u"s"_qs, u"baidu"_qs, 1, {}});
        model.addKeywords({u"xbc"_qs, u"abc"_qs, u"abcde2"_qs, u"unknown"_qs});
        QCOMPARE(keywordsShown(), u"abc abcde2"_qs);
        QCOMPARE(model.listedCount(), 6);
        model.setFilter({QString(), QString(), 2});
        QCOMPARE(keywordsShown(), u"abcd abcde2"_qs);
        QCOMPARE(model.rowsText({1, 7}), u"abcde2\t2\t\t360-related\ts1\tx\t1\t"_qs +
                                             QDateTime::fromSecsSinceEpoch(999).toString(u"yyyy-MM-dd HH:mm:ss"_qs) +
                                             u'\n');
        // A new row of the same figure as others goes after them, both ways.
        model.setFilter({});
        for (const auto& [order, expected] : {std::pair{Qt::AscendingOrder, u"ab c abc xbc n1 abcde2 abcd"_qs},
                                              {Qt::DescendingOrder, u"abcde2 abcd ab c abc xbc n1 n2"_qs}}) {
            model.sort(KeywordRecordsModel::Count, order);
            const QString added = order == Qt::AscendingOrder ? u"n1"_qs : u"n2"_qs;
            records.add(added, {u"s"_qs, u"baidu"_qs, 1, {}});
            model.addKeywords({added});
            QCOMPARE(keywordsShown(), expected);
        }
    }

    void exportsEveryColumn()
    {
        TestFolder folder;
        KeywordRecords records;
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 30, 5));
        records.add(u"鲜花, \"快递\""_qs, {u"鲜花"_qs, u"baidu-mobile"_qs, 2, when, u"怎么"_qs, 3});
        records.add(u"@手机客服"_qs, {u"+86手机号"_qs, u"360"_qs, 1, when});
        records.add(u"+86手机号"_qs, {u"手机"_qs, u"360"_qs, 1, when});
        records.setResults(1, u"鲜花, \"快递\"", 12);
        records.setResults(2, u"-18度手机", 3);
        const QStringList lines{u"鲜花, \"快递\""_qs, u"-18度手机"_qs, u"@手机客服"_qs};
        auto write = [&](const QString& name) {
            const QString path = folder.filePath(name);
            return KeywordExport::write(path, *KeywordExport::formatOf(path), lines, records);
        };

        // CSV: a byte-order mark, then rows as RFC 4180 has them; what a spreadsheet would take for a
        // formula is text.
        QVERIFY(write(u"out.csv"_qs));
        QCOMPARE(folder.read(u"out.csv"_qs),
                 u"\uFEFF关键词,来源词,来源,轮次,时间,扩展,次数,结果数·百度,结果数·360,结果数·搜狗,路径\r\n\"鲜花, "
                 u"\"\"快递\"\"\",鲜花,baidu-mobile,2,2026-12-07 09:30:05,"
                 u"怎么,3,,12,,鲜花\r\n'-18度手机,,,,,,,,,3,\r\n'@手机客服,'+86手机号,360,1,2026-12-07 09:30:05,,1,,,,"
                 u"手机 > +86手机号\r\n"_qs.toUtf8());

        // XLSX: the sheet holds the same cells, and nothing is left beside it.
        QVERIFY(write(u"out.xlsx"_qs));
        const QString sheet =
            QString::fromUtf8(unzipped(folder.filePath(u"out.xlsx"_qs), u"xl/worksheets/sheet1.xml"_qs) +
                              unzipped(folder.filePath(u"out.xlsx"_qs), u"xl/sharedStrings.xml"_qs));
        for (const QString& text :
             {u"关键词"_qs, u"次数"_qs, u"鲜花, \"快递\""_qs, u"baidu-mobile"_qs, u"怎么"_qs, u"-18度手机"_qs,
              u"结果数·搜狗"_qs, u"手机 &gt; +86手机号"_qs, u"<c r=\"J3\"><v>3</v>"_qs})
            QVERIFY2(sheet.contains(text), qPrintable(text));
        QCOMPARE(sheet.count(u"<row "_qs), 4);
        // A cell over Excel's limit fails the export, and leaves no file.
        QString error;
        QVERIFY(!KeywordExport::write(folder.filePath(u"long.xlsx"_qs), KeywordExport::Format::Xlsx,
                                      {QString(40000, u'长')}, records, &error));
        QVERIFY2(error.contains(u"32767"_qs), qPrintable(error));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Hidden | QDir::Files).size(), qsizetype(2));

        // Plain text: UTF-8, one keyword a line.
        QVERIFY(write(u"out.txt"_qs));
        QCOMPARE(folder.read(u"out.txt"_qs), QString(lines.join(u"\r\n") + u"\r\n").toUtf8());
        QVERIFY(!KeywordExport::formatOf(u"out.doc"_qs));
    }
};

QTEST_GUILESS_MAIN(KeywordsTest)
#include "tst_keywords.moc"
