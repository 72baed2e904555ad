#include "odbc/OdbcCatalog.h"

#include <QtTest>

class OdbcTest : public QObject
{
    Q_OBJECT

private slots:
    void providerStrings()
    {
        OdbcConnect::Values source{1, u"A"_qs, {}, {}, u"u"_qs, {}, {}};
        QCOMPARE(OdbcConnect::providerString(source), u"PROVIDER=MSDASQL;DSN=A;UID=u;PWD=;"_qs);
        OdbcConnect::Values driver{0, u"(None)"_qs, u"D"_qs, u"S"_qs, {}, {}, u"db"_qs};
        QCOMPARE(OdbcConnect::providerString(driver), u"PROVIDER=MSDASQL;Driver=D;Server=S;UID=;PWD=;Database=db;"_qs);
        QStringList drivers{u"x"_qs, u"x"_qs, u"x"_qs, u"y"_qs, u"x"_qs};
        OdbcCatalog::removeAdjacentDuplicates(drivers);
        QCOMPARE(drivers, (QStringList{u"x"_qs, u"y"_qs, u"x"_qs}));
    }
};

QTEST_GUILESS_MAIN(OdbcTest)
#include "tst_odbc.moc"
