#include "base/AppPaths.h"
#include "base/DelimitedFieldReader.h"
#include "base/FormEncoding.h"
#include "base/GeneratedSiteList.h"
#include "base/PrivateFiles.h"
#include "base/SiteNames.h"
#include "base/TextCodec.h"
#include "base/TextRules.h"

#include <QtTest>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile(path).open(QIODevice::WriteOnly);
}

QFileDevice::Permissions modeOf(const QString& path)
{
    return QFileInfo(path).permissions() & QFileDevice::Permissions(0x7077);
}

} // namespace

class BaseTest : public QObject
{
    Q_OBJECT

private slots:
    void encodeFormValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("separators stay") << u"a&b=c|*|%41+"_qs << u"a&b=c|*|%41+"_qs;
        QTest::newRow("mixed") << u"北京 市|*|tel 1"_qs << u"%B1%B1%BE%A9%20%CA%D0|*|tel%201"_qs;
        // Outside GBK: GB18030 gives four bytes, each escaped instead of the character being lost.
        QTest::newRow("emoji") << u"😀"_qs << u"%94%39%FC%36"_qs;
        // Lone surrogates have no bytes: they go out as U+FFFD, whose GB18030 bytes are 84 31 A4 37.
        QTest::newRow("lone low surrogate") << QString(u"a" + QString(QChar(0xDC00)) + u"b") << u"a%84%31%A4%37b"_qs;
    }
    void encodeFormValue()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(EncodeFormValue(value), expected);
    }

    void codecRoundTripsAndMarksBrokenBytes()
    {
        // Broken bytes show as U+FFFD wherever they stand, an unfinished character at the end too.
        const QString bad(QChar::ReplacementCharacter);
        QCOMPARE(TextCodec::fromAnsi("a\x81"), u"a"_qs + bad);
        QCOMPARE(TextCodec::fromAnsi("\xD6\xD0\x81\x30"), u"中"_qs + bad);
        QCOMPARE(TextCodec::fromAnsi("\xFF"
                                     "a"),
                 bad + u"a"_qs);
        QCOMPARE(TextCodec::fromAnsi("\x81\x30\x81\x30"), QString(QChar(0x80)));
        // Trimming takes spaces only.
        QCOMPARE(TextRules::trimmed(u"  \ta b\u3000  "), u"\ta b\u3000"_qs);
        QCOMPARE(TextRules::trimmed(u"   "), QString());
    }

    void delimitedFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("comma and line") << u"a,b\r\nc\r\n"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("quoted comma") << u"\"x, y\",z\r\n"_qs << QStringList{u"x, y"_qs, u"z"_qs};
        QTest::newRow("blanks and tabs") << u"   a \t,  b\t \r\nc d \t"_qs << QStringList{u"a"_qs, u"b"_qs, u"c d"_qs};
        QTest::newRow("blank line") << u"a\r\nb\r\n\r\n"_qs << QStringList{u"a"_qs, u"b"_qs, QString()};
        QTest::newRow("lf and cr") << u"a\nb\rc"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("comma before line end") << u"a,\r\nb"_qs << QStringList{u"a"_qs, QString(), u"b"_qs};
        QTest::newRow("unclosed quote") << u"\"abc"_qs << QStringList{u"abc"_qs};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void delimitedFields()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QCOMPARE(DelimitedFieldReader::readAll(text), fields);
    }

    void listOfAddresses_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QStringList>("domains");
        QTest::addColumn<QString>("html");
        const QStringList two{u"d0.com"_qs, u"d1.cn"_qs};
        QTest::newRow("count 3") << u"B"_qs << u"3"_qs << two
                                 << u"http://B.d0.com</br>http://B1.d0.com</br>http://B2.d0.com</br>"
                                    u"http://B.d1.cn</br>http://B1.d1.cn</br>http://B2.d1.cn</br>"_qs;
        QTest::newRow("not a number") << u"B"_qs << u"abc"_qs << two << u"http://B.d0.com</br>http://B.d1.cn</br>"_qs;
        QTest::newRow("rounded") << u"x"_qs << u" 1.5 "_qs << QStringList{u"a"_qs}
                                 << u"http://x.a</br>http://x1.a</br>"_qs;
        QTest::newRow("escaped") << u"<b>"_qs << u"1"_qs << QStringList{u"a&b\"<script>"_qs}
                                 << u"http://&lt;b&gt;.a&amp;b&quot;&lt;script&gt;</br>"_qs;
    }
    void listOfAddresses()
    {
        QFETCH(QString, identifier);
        QFETCH(QString, count);
        QFETCH(QStringList, domains);
        QFETCH(QString, html);
        QCOMPARE(buildListHtml(identifier, count, domains), html);
    }

    // Four domains of 32767 addresses: the page lists the first 100,000 and says how many there are.
    void aListTooLongForThePageIsCut()
    {
        const QString many = buildListHtml(u"x"_qs, u"32767"_qs, {u"a.cn"_qs, u"b.cn"_qs, u"c.cn"_qs, u"d.cn"_qs});
        QVERIFY(many.endsWith(u"http://x1698.d.cn</br><p>列表太长，这里只列出前 100000 个地址；共 131068 个。</p>"_qs));
    }

    // What a line of material becomes: kept, changed to its registrable domain (or lower case), or refused
    // with the reason ("!" before it); identifiers are the rows marked "id ".
    void siteNames_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("result");
        const QString kept = u"="_qs;
        const QList<std::pair<QString, QString>> rows{
            {u"example.com"_qs, kept},
            {u"  www.example.com "_qs, u"example.com"_qs},
            {u"http://EXAMPLE.com:8080/a?b#c"_qs, u"example.com"_qs},
            {u"example.com."_qs, u"example.com"_qs},
            // Suffixes a rule of the last labels gets wrong.
            {u"shop.example.com.cn"_qs, u"example.com.cn"_qs},
            {u"x.github.io"_qs, kept},
            {u"a.b.example.co.uk"_qs, u"example.co.uk"_qs},
            {u"例子.中国"_qs, kept},
            {u"www.例子.中国"_qs, u"例子.中国"_qs},
            {u"xn--fsqu00a.xn--fiqs8s"_qs, kept},
            {u"com.cn"_qs, u"!是公共后缀"_qs},
            {u"github.io"_qs, u"!是公共后缀"_qs},
            {u"192.168.1.1"_qs, u"!是 IP 地址"_qs},
            {u"[::1]:80"_qs, u"!是 IP 地址"_qs},
            {u"::1"_qs, u"!是 IP 地址"_qs},
            {u"exa mple.com"_qs, u"!含有域名里不能有的字符"_qs},
            {u"a_b.com"_qs, u"!含有域名里不能有的字符"_qs},
            {u"-a.com"_qs, u"!含有域名里不能有的字符"_qs},
            {QString(64, u'a') + u".com"_qs, u"!超过 63 个字符"_qs},
            {QString(QString(60, u'a') + u'.').repeated(5) + u"com", u"!超过 253 个字符"_qs},
            {u"example.notatld"_qs, u"!不在任何已知的顶级域名下"_qs},
            {u""_qs, u"!没有域名"_qs},
            {u"id shop-1"_qs, kept},
            {u"id Shop"_qs, u"shop"_qs},
            {u"id -shop"_qs, u"!标识只能有"_qs},
            {u"id "_qs, u"!没有标识"_qs},
            {u"id 店"_qs, u"!标识只能有"_qs},
            {u"id "_qs + QString(64, u'a'), u"!标识超过 63 个字符"_qs},
        };
        for (const auto& [line, result] : rows)
            QTest::newRow(qPrintable(line.left(40))) << line << result;
    }
    void siteNames()
    {
        QFETCH(QString, line);
        QFETCH(QString, result);
        const SiteNames::Checked checked =
            line.startsWith(u"id "_qs) ? SiteNames::identifier(line.mid(3)) : SiteNames::domain(line);
        if (result.startsWith(u'!')) {
            QCOMPARE(int(checked.verdict), int(SiteNames::Checked::Verdict::Refused));
            QVERIFY2(checked.reason.contains(result.mid(1)), qPrintable(checked.reason));
        } else {
            const bool same = result == u"=";
            QCOMPARE(int(checked.verdict),
                     int(same ? SiteNames::Checked::Verdict::Kept : SiteNames::Checked::Verdict::Changed));
            QCOMPARE(checked.value, same ? line.mid(line.startsWith(u"id "_qs) ? 3 : 0) : result);
        }
    }

    void siteCounts()
    {
        for (const auto& [text, count] : QList<std::pair<QString, int>>{
                 {u"1"_qs, 1}, {u" 100000 "_qs, 100000}, {u"0"_qs, 0}, {u"100001"_qs, 0}, {u"1.5"_qs, 0}, {u"x"_qs, 0}})
            QCOMPARE(SiteNames::siteCount(text).value_or(0), count);
    }

    void programFolderAndShippedFiles()
    {
        QTemporaryDir root;
        const QString executable = root.filePath(u"prefix/bin"_qs);
        const QString user = root.filePath(u"share/quillon"_qs);
        QDir().mkpath(executable);
        // An installed program keeps the user's files in the per-user folder, --dir always wins ...
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), user);
        QCOMPARE(AppPaths::chooseProgramFolder(root.filePath(u"x/../elsewhere"_qs), executable, user),
                 root.filePath(u"elsewhere"_qs));
        // ... and a portable folder (data/ or server.txt beside the executable) keeps them there.
        touch(executable + u"/server.txt"_qs);
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), executable);
        QFile::remove(executable + u"/server.txt"_qs);
        QDir().mkpath(executable + u"/data"_qs);
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), executable);
        QDir(executable).rmdir(u"data"_qs);
        touch(executable + u"/data"_qs); // a file named data is no data folder
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), user);

        // Shipped files: the user's copy, else the installation's, else the one built in.
        const QString install = AppPaths::installDataFolder(executable);
        QVERIFY(install.startsWith(root.filePath(u"prefix/"_qs)) && install.endsWith(u"/quillon"_qs));
        const QString program = root.filePath(u"home"_qs);
        QCOMPARE(AppPaths::shippedFile(u"Manual.txt"_qs, program, install), u":/quillon/Manual.txt"_qs);
        QVERIFY(QFile::exists(AppPaths::shippedFile(u"liebiao.html"_qs, program, install)));
        touch(install + u"/Manual.txt"_qs);
        QCOMPARE(AppPaths::shippedFile(u"Manual.txt"_qs, program, install), install + u"/Manual.txt"_qs);
        touch(program + u"/Manual.txt"_qs);
        QCOMPARE(AppPaths::shippedFile(u"Manual.txt"_qs, program, install), program + u"/Manual.txt"_qs);
    }

    // The customer's material is the user's alone: new folders 0700, new files 0600; what exists keeps
    // its content and the modes its owner gave it.
    void newFoldersAndFilesAreTheUsers()
    {
        const QFileDevice::Permissions folder =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        const QFileDevice::Permissions file = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QTemporaryDir dir;
        QVERIFY(PrivateFiles::makeFolder(dir.filePath(u"a/b"_qs)));
        QCOMPARE(modeOf(dir.filePath(u"a"_qs)), folder);
        QCOMPARE(modeOf(dir.filePath(u"a/b"_qs)), folder);
        touch(dir.filePath(u"plain"_qs));
        QVERIFY(!PrivateFiles::makeFolder(dir.filePath(u"plain/c"_qs)));

        const QString shared = dir.filePath(u"shared.txt"_qs);
        QString error;
        QVERIFY(PrivateFiles::writeAtomically(shared, "one", &error));
        QCOMPARE(modeOf(shared), file);
        const QFileDevice::Permissions chosen = file | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(shared, chosen));
        QVERIFY(PrivateFiles::writeAtomically(shared, "two"));
        QCOMPARE(modeOf(shared), chosen);
        QVERIFY(!PrivateFiles::writeAtomically(dir.filePath(u"a"_qs), "x", &error)); // a folder stands there
        QVERIFY(!error.isEmpty());

        QVERIFY(PrivateFiles::createEmpty(dir.filePath(u"empty"_qs)));
        QCOMPARE(modeOf(dir.filePath(u"empty"_qs)), file);
        QVERIFY(PrivateFiles::createEmpty(shared)); // already there: left as it is
        QCOMPARE(QFileInfo(shared).size(), 3);
    }
};

QTEST_GUILESS_MAIN(BaseTest)
#include "tst_base.moc"
