#include "base/GeneratedSiteList.h"

#include <QtTest>

class SiteListTest : public QObject
{
    Q_OBJECT

private slots:
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
        QTest::newRow("count 1") << u"B"_qs << u"1"_qs << two << u"http://B.d0.com</br>http://B.d1.cn</br>"_qs;
        QTest::newRow("not a number") << u"B"_qs << u"abc"_qs << two << u"http://B.d0.com</br>http://B.d1.cn</br>"_qs;
        QTest::newRow("rounded") << u"x"_qs << u"2.5"_qs << QStringList{u"a"_qs}
                                 << u"http://x.a</br>http://x1.a</br>"_qs;
        QTest::newRow("no domains") << u"B"_qs << u"3"_qs << QStringList{} << QString();
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
        QCOMPARE(listCount(u"40000"_qs), 0);
        QCOMPARE(listCount(u" 3.5 "_qs), 4);
    }

    void aListTooLongForThePageIsCut()
    {
        // Four domains of 32767 addresses: the page lists the first 100,000 and says how many there are.
        const QString many = buildListHtml(u"x"_qs, u"32767"_qs, {u"a.cn"_qs, u"b.cn"_qs, u"c.cn"_qs, u"d.cn"_qs});
        QCOMPARE(many.count(u"</br>"_qs), kMaxListedAddresses);
        QVERIFY(many.endsWith(u"http://x1698.d.cn</br><p>列表太长，这里只列出前 100000 个地址；共 131068 个。</p>"_qs));

        // A 20,000-character identifier: cut by size long before the address limit.
        const QString identifier(20000, u'i');
        const QString wide = buildListHtml(identifier, u"32767"_qs, {u"a.cn"_qs});
        QVERIFY(wide.size() < kMaxListChars + identifier.size() + 100);
        const qsizetype listed = wide.count(u"</br>"_qs);
        QVERIFY(listed > 100 && listed < 32767);
        QVERIFY(wide.endsWith(QStringLiteral("这里只列出前 %1 个地址；共 32767 个。</p>").arg(listed)));
    }
};

QTEST_GUILESS_MAIN(SiteListTest)
#include "tst_sitelist.moc"
