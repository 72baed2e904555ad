#include "base/TextCodec.h"
#include "keywords/KeywordExport.h"
#include "keywords/KeywordRecords.h"
#include "keywords/KeywordSource.h"
#include "keywords/SearchSettings.h"
#include "keywords/XMLHttpGET.h"
#include "support/TestFolder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

FetchReply reply(const QString& text, int status = 200)
{
    FetchReply r;
    r.status = status;
    r.text = text;
    r.body = text.toUtf8();
    return r;
}

// A CSV reader as RFC 4180 has it, apart from the writer under test.
QList<QStringList> readCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(std::exchange(field, {}));
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(std::exchange(field, {}));
            rows.append(std::exchange(row, {}));
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

QByteArray unzipped(const QString& archive, const QString& member)
{
    QProcess unzip;
    unzip.start(u"unzip"_qs, {u"-p"_qs, archive, member});
    if (!unzip.waitForFinished(30000))
        return {};
    return unzip.readAllStandardOutput();
}

} // namespace

class KeywordSourcesTest : public QObject
{
    Q_OBJECT

private slots:
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
    }
    void requests()
    {
        QFETCH(QString, source);
        QFETCH(QString, url);
        QFETCH(int, bm);
        const SourceRequest request = KeywordSource::find(source)->request(u"H"_qs, u"鲜花 a&b"_qs);
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
        QTest::newRow("mobile html") << u"baidu-mobile"_qs << u"<html><body>{\"g\":[{\"q\":\"a\"}]}</body></html>"_qs
                                     << none;
        QTest::newRow("mobile no g") << u"baidu-mobile"_qs << u"{\"q\":\"x\"}"_qs << none;
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
            << u"<div class=\"c-result\"><a>不是</a></div><div id=\"relativewords\" class=\"se-relativewords\">"
               u"<div class=\"rw-title\">相关搜索</div><div class=\"rw-list\"><a href=\"/s?word=1\">鲜花a</a>"
               u"<a href=\"/s?word=2\"><span>鲜花&quot;b</span></a></div></div><div><a>页脚</a></div>"_qs
            << ab;
        QTest::newRow("mobile related by list")
            << u"baidu-mobile-related"_qs << u"<div class='rw-list-new'><a>a</a><a> </a><a>b</a></div><a>c</a>"_qs
            << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("mobile related none") << u"baidu-mobile-related"_qs << u"<div><a>a</a></div>"_qs << none;
        QTest::newRow("baidu not the script") << u"baidu"_qs << u"<html>[\"a\"]</html>"_qs << none;
        QTest::newRow("baidu") << u"baidu"_qs << u"window.bdsug.sug({s:[\"a\",\"b\"]});"_qs
                               << QStringList{u"a"_qs, u"b"_qs};
    }
    void replies()
    {
        QFETCH(QString, source);
        QFETCH(QString, text);
        QFETCH(QStringList, keywords);
        QCOMPARE(KeywordSource::find(source)->keywords(reply(text)), keywords);
    }

    void blocksNameTheirService_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("360") << u"360"_qs << 403 << u"360搜索拒绝了请求（403）"_qs;
        QTest::newRow("sogou") << u"sogou"_qs << 429 << u"搜狗拒绝了请求（429）"_qs;
        QTest::newRow("mobile") << u"baidu-mobile"_qs << 403 << u"百度拒绝了请求（403）"_qs;
    }
    void blocksNameTheirService()
    {
        QFETCH(QString, source);
        QFETCH(int, status);
        QFETCH(QString, reason);
        const ReplyCheck check = KeywordSource::find(source)->check(reply({}, status));
        QCOMPARE(check.verdict, ReplyCheck::Verdict::Blocked);
        QCOMPARE(check.reason, reason);
        FetchReply antispider = reply(u"x"_qs);
        antispider.requested = QUrl(u"https://www.sogou.com/suggnew/ajajjson"_qs);
        antispider.finalUrl = QUrl(u"https://www.sogou.com/antispider/?from=x"_qs);
        QCOMPARE(KeywordSource::find(u"sogou")->check(antispider).verdict, ReplyCheck::Verdict::Blocked);
    }

    void decodesByTheReplysCharset_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        const QByteArray gbk = TextCodec::toAnsi(u"鲜花"_qs);
        QTest::newRow("gbk") << gbk << QByteArray("text/javascript; charset=GBK");
        QTest::newRow("gb2312 quoted") << gbk << QByteArray("text/javascript;charset=\"gb2312\"");
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

    void settingsKeepWhatTheyDoNotKnow()
    {
        TestFolder folder;
        const QString ini = folder.filePath(u"keywords.ini"_qs);
        folder.write(u"keywords.ini"_qs, "; my hosts\n[hosts]\nsuggest=http://127.0.0.1:1/\nown=x\n\n"
                                         "[search]\nsources=baidu, 360,nope,baidu\nafter-seed=0.2\n\n; about other\n"
                                         "[other]\nk=v\n");
        SearchSettings settings = SearchSettings::load(ini);
        QCOMPARE(settings.sources, (QStringList{u"baidu"_qs, u"360"_qs}));
        QCOMPARE(settings.unknownSources, QStringList{u"nope"_qs});
        QCOMPARE(settings.afterSeed, std::chrono::milliseconds(1000)); // never below a second
        QCOMPARE(settings.host(*KeywordSource::find(u"baidu")), u"http://127.0.0.1:1"_qs);
        QCOMPARE(settings.host(*KeywordSource::find(u"sogou")), u"https://www.sogou.com"_qs);

        settings.sources = {u"sogou"_qs};
        settings.afterSeed = std::chrono::milliseconds(2500);
        settings.skipAsked = true;
        settings.depth = 3;
        settings.exclude = {u"招聘"_qs, u"a;b"_qs};
        settings.include = {u"*seed*"_qs, u"x,\"y\""_qs};
        QVERIFY(settings.save(ini));
        const QString written = QString::fromUtf8(folder.read(u"keywords.ini"_qs));
        QVERIFY(written.startsWith(u"; my hosts\n[hosts]\nsuggest=http://127.0.0.1:1/\nown=x\n"_qs));
        QVERIFY(written.contains(u"[other]\nk=v"_qs));
        // New keys go after the section's last key, before the blank line and the comment that follow it.
        QVERIFY2(written.contains(u"after-seed=2.5\nskip-asked=true\ndepth=3\n\n; about other\n[other]"_qs),
                 qPrintable(written));
        const SearchSettings again = SearchSettings::load(ini);
        QCOMPARE(again.sources, settings.sources);
        QCOMPARE(again.afterSeed, settings.afterSeed);
        QVERIFY(again.skipAsked);
        QCOMPARE(again.depth, 3);
        QCOMPARE(again.exclude, settings.exclude);
        QCOMPARE(again.include, settings.include);
        QCOMPARE(again.hosts.value(u"own"_qs), u"x"_qs);
    }

    // The example the README gives, comments and all, reads as it says.
    void theDocumentedExampleReads()
    {
        TestFolder folder;
        folder.write(u"keywords.ini"_qs, QString(u"; scheme, host and optional port of each source\n[hosts]\n"
                                                 u"360=https://sug.so.360.cn\n\n[search]\n; asked side by side\n"
                                                 u"sources=baidu,baidu-mobile,360,sogou\n; seconds of rest\n"
                                                 u"after-seed=1\nskip-asked=false\ndepth=0\n\n[filter]\n"
                                                 u"; not inserted\nexclude=招聘|二手\n; *seed* stands for its seed\n"
                                                 u"include=*seed*|价格\n"_qs)
                                             .toUtf8());
        const SearchSettings settings = SearchSettings::load(folder.filePath(u"keywords.ini"_qs));
        QCOMPARE(settings.sources, (QStringList{u"baidu"_qs, u"baidu-mobile"_qs, u"360"_qs, u"sogou"_qs}));
        QVERIFY(settings.unknownSources.isEmpty());
        QCOMPARE(settings.afterSeed, std::chrono::milliseconds(1000));
        QCOMPARE(settings.exclude, (QStringList{u"招聘"_qs, u"二手"_qs}));
        QCOMPARE(settings.include, (QStringList{u"*seed*"_qs, u"价格"_qs}));
        QCOMPARE(settings.host(*KeywordSource::find(u"360")), u"https://sug.so.360.cn"_qs);
    }

    void recordsRoundTrip()
    {
        KeywordRecords records;
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 30, 5), QTimeZone(8 * 3600));
        records.add(u"a\tb\\c"_qs, {u"种\t子"_qs, u"baidu"_qs, 2, when});
        records.add(u"e"_qs, {u"s"_qs, u"360"_qs, 1, when});
        records.add(u"e"_qs, {u"later"_qs, u"sogou"_qs, 5, when}); // the first record stays
        records.add(u"gone"_qs, {u"s"_qs, u"360"_qs, 1, when});
        // Only lines of the list are written, in its order.
        const QByteArray tsv = records.toTsv(u"e\r\ntyped\na\tb\\c\ne\n"_qs);
        QCOMPARE(tsv.count('\n'), 4);
        const KeywordRecords back = KeywordRecords::fromTsv(tsv);
        QCOMPARE(back.size(), 2);
        const std::optional<KeywordRecord> first = back.find(u"a\tb\\c");
        QVERIFY(first);
        QCOMPARE(first->seed, u"种\t子"_qs);
        QCOMPARE(first->pass, 2);
        QCOMPARE(first->found, when);
        QCOMPARE(back.find(u"e")->source, u"360"_qs);
        QCOMPARE(back.passOf(u"e"), 1);
        QVERIFY(!back.find(u"gone"));
        QVERIFY(!back.find(u"typed"));
        QCOMPARE(KeywordRecords::pathBeside(u"/x/word.txt"_qs), u"/x/word.sources.tsv"_qs);
    }

    void exportsEveryColumn()
    {
        TestFolder folder;
        KeywordRecords records;
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 30, 5));
        records.add(u"鲜花, \"快递\""_qs, {u"鲜花"_qs, u"baidu-mobile"_qs, 2, when});
        records.add(u"b"_qs, {u"s"_qs, u"360"_qs, 1, when});
        const QStringList lines{u"鲜花, \"快递\""_qs, u"typed"_qs, u"b"_qs};

        // CSV: a byte-order mark, then rows a CSV reader gives back field for field.
        const QString csvPath = folder.filePath(u"out.csv"_qs);
        QVERIFY(KeywordExport::write(csvPath, *KeywordExport::formatOf(csvPath), lines, records));
        const QByteArray csv = folder.read(u"out.csv"_qs);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> rows = readCsv(QString::fromUtf8(csv.mid(3)));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], KeywordExport::header());
        QCOMPARE(rows[1], (QStringList{lines[0], u"鲜花"_qs, u"baidu-mobile"_qs, u"2"_qs, u"2026-12-07 09:30:05"_qs}));
        QCOMPARE(rows[2], (QStringList{u"typed"_qs, {}, {}, {}, {}}));
        QCOMPARE(rows[3][2], u"360"_qs);

        // XLSX: the sheet holds the same cells.
        const QString xlsxPath = folder.filePath(u"out.xlsx"_qs);
        QVERIFY(KeywordExport::write(xlsxPath, *KeywordExport::formatOf(xlsxPath), lines, records));
        const QString sheet = QString::fromUtf8(unzipped(xlsxPath, u"xl/worksheets/sheet1.xml"_qs)) +
                              QString::fromUtf8(unzipped(xlsxPath, u"xl/sharedStrings.xml"_qs));
        QVERIFY2(sheet.contains(u"<sheetData>"_qs), qPrintable(sheet.left(300)));
        for (const QString& text : {u"关键词"_qs, u"来源词"_qs, u"鲜花, \"快递\""_qs, u"baidu-mobile"_qs, u"typed"_qs})
            QVERIFY2(sheet.contains(text), qPrintable(text));
        QCOMPARE(sheet.count(u"<row "_qs), 4);
        QVERIFY(QDir(folder.path()).entryList(QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

        // Plain text: UTF-8, one keyword a line.
        QVERIFY(KeywordExport::write(folder.filePath(u"out.txt"_qs), KeywordExport::Format::Text, lines, records));
        QCOMPARE(folder.read(u"out.txt"_qs), QString(lines.join(u"\r\n") + u"\r\n").toUtf8());
        QVERIFY(!KeywordExport::formatOf(u"out.doc"_qs));
    }
};

QTEST_GUILESS_MAIN(KeywordSourcesTest)
#include "tst_keywordsources.moc"
