#include "base/DelimitedFieldReader.h"
#include "base/FormEncoding.h"
#include "base/TextCodec.h"
#include "base/TextRules.h"

#include <QtTest>

class TextRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void encodeFormValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii") << u"abc"_qs << u"abc"_qs;
        QTest::newRow("spaces") << u"a b c"_qs << u"a%20b%20c"_qs;
        QTest::newRow("gbk") << u"中文"_qs << u"%D6%D0%CE%C4"_qs;
        QTest::newRow("separators stay") << u"a&b=c|*|%41+"_qs << u"a&b=c|*|%41+"_qs;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("mixed") << u"北京 市|*|tel 1"_qs << u"%B1%B1%BE%A9%20%CA%D0|*|tel%201"_qs;
        // Outside GBK: GB18030 gives four bytes, each escaped instead of the character being lost.
        QTest::newRow("emoji") << u"😀"_qs << u"%94%39%FC%36"_qs;
        QTest::newRow("euro") << u"€"_qs << u"%A2%E3"_qs;
        // Lone surrogates have no bytes: they go out as U+FFFD, whose GB18030 bytes are 84 31 A4 37.
        QTest::newRow("lone low surrogate") << QString(u"a" + QString(QChar(0xDC00)) + u"b") << u"a%84%31%A4%37b"_qs;
        QTest::newRow("lone high surrogate at the end")
            << QString(u"a" + QString(QChar(0xD800))) << u"a%84%31%A4%37"_qs;
    }
    void encodeFormValue()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(EncodeFormValue(value), expected);
    }

    void codecRoundTripsEveryCharacter()
    {
        const QString text = u"中文 abc ㈠ € 😀 \u3000"_qs;
        QCOMPARE(TextCodec::toAnsi(u"中"), QByteArray("\xD6\xD0"));
        QCOMPARE(TextCodec::fromAnsi(TextCodec::toAnsi(text)), text);
        // Broken bytes show as U+FFFD wherever they stand, an unfinished character at the end too.
        const QString replacement(QChar::ReplacementCharacter);
        QCOMPARE(TextCodec::fromAnsi("a\x81"), u"a"_qs + replacement);
        QCOMPARE(TextCodec::fromAnsi("\xD6\xD0\x81\x30"), u"中"_qs + replacement);
        QCOMPARE(TextCodec::fromAnsi("\x81\x30\x81"), replacement);
        QCOMPARE(TextCodec::fromAnsi("\xFF"
                                     "a"),
                 replacement + u"a"_qs);
        QCOMPARE(TextCodec::fromAnsi("\x81\x30\x81\x30"), QString(QChar(0x80)));
    }

    void trimRemovesOnlySpaces()
    {
        QCOMPARE(TextRules::trimmed(u"  a b  "), u"a b"_qs);
        QCOMPARE(TextRules::trimmed(u"\ta\t"), u"\ta\t"_qs);
        QCOMPARE(TextRules::trimmed(u"\u3000a\r\n "), u"\u3000a\r\n"_qs);
        QCOMPARE(TextRules::trimmed(u"   "), QString());
    }

    void delimitedFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("comma and line") << u"a,b\r\nc\r\n"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("quoted comma") << u"\"x, y\",z\r\n"_qs << QStringList{u"x, y"_qs, u"z"_qs};
        QTest::newRow("leading blanks") << u"   a,  b\r\n"_qs << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("trailing blanks and tabs")
            << u"a \t,b\t \r\nc d \t"_qs << QStringList{u"a"_qs, u"b"_qs, u"c d"_qs};
        QTest::newRow("blank line") << u"a\r\nb\r\n\r\n"_qs << QStringList{u"a"_qs, u"b"_qs, QString()};
        QTest::newRow("lf and cr") << u"a\nb\rc"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("comma before line end") << u"a,\r\nb"_qs << QStringList{u"a"_qs, QString(), u"b"_qs};
        QTest::newRow("unclosed quote") << u"\"abc"_qs << QStringList{u"abc"_qs};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("chinese") << u"关键词,长尾 词\r\n"_qs << QStringList{u"关键词"_qs, u"长尾 词"_qs};
    }
    void delimitedFields()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QCOMPARE(DelimitedFieldReader::readAll(text), fields);
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_textrules.moc"
