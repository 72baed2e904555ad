#include "odbc/OdbcCatalog.h"
#include "odbc/OdbcLogonDialog.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"

#include <QtTest>
#include <QtWidgets>

class OdbcTest : public QObject
{
    Q_OBJECT

private slots:
    void odbcProviderStrings()
    {
        OdbcConnect::Values source{1, u"A"_qs, {}, {}, u"u"_qs, {}, {}};
        QCOMPARE(OdbcConnect::providerString(source), u"PROVIDER=MSDASQL;DSN=A;UID=u;PWD=;"_qs);
        OdbcConnect::Values driver{0, u"(None)"_qs, u"D"_qs, u"S"_qs, {}, {}, u"db"_qs};
        QCOMPARE(OdbcConnect::providerString(driver), u"PROVIDER=MSDASQL;Driver=D;Server=S;UID=;PWD=;Database=db;"_qs);
        QVERIFY(OdbcConnect::messageText(u"P"_qs).contains(u"\r\ngConnection.Open \"P\"\r\n\r\n"_qs));

        QStringList drivers{u"x"_qs, u"x"_qs, u"x"_qs, u"y"_qs, u"x"_qs};
        OdbcCatalog::removeAdjacentDuplicates(drivers);
        QCOMPARE(drivers, (QStringList{u"x"_qs, u"y"_qs, u"x"_qs}));
    }

    void odbcDialogListsTheSources()
    {
        QTemporaryDir dir;
        QFile odbcinst(dir.filePath(u"odbcinst.ini"_qs));
        odbcinst.open(QIODevice::WriteOnly);
        odbcinst.write("[DriverX]\nDriver=/nonexistent/x.so\n\n[DriverY]\nDriver=/nonexistent/y.so\n");
        odbcinst.close();
        QFile odbc(dir.filePath(u"odbc.ini"_qs));
        odbc.open(QIODevice::WriteOnly);
        odbc.write("[A]\nDriver=DriverX\n\n[B]\nDriver=DriverX\n\n[C]\nDriver=DriverY\n");
        odbc.close();
        qputenv("ODBCSYSINI", dir.path().toLocal8Bit());
        qputenv("ODBCINI", dir.filePath(u"odbc.ini"_qs).toLocal8Bit());

        MessageRecorder messages;
        OdbcLogonDialog dialog;
        auto* sources = child<QComboBox>(&dialog, u"cboDSNList"_qs);
        auto* drivers = child<QComboBox>(&dialog, u"cboDrivers"_qs);
        QStringList names;
        for (int i = 0; i < sources->count(); ++i)
            names.append(sources->itemText(i));
        QCOMPARE(names.first(), u"(None)"_qs);
        QVERIFY(names.contains(u"A"_qs) && names.contains(u"B"_qs) && names.contains(u"C"_qs));
        QCOMPARE(drivers->count(), 2);
        QVERIFY(drivers->isEnabled());

        sources->setCurrentIndex(int(names.indexOf(u"A"_qs)));
        QVERIFY(!drivers->isEnabled());
        QVERIFY(!child<QLineEdit>(&dialog, u"txtServer"_qs)->isEnabled());
        child<QLineEdit>(&dialog, u"txtUID"_qs)->setText(u"u"_qs);
        dialog.cmdOK_Click();
        QVERIFY(messages.texts().last().contains(u"\"PROVIDER=MSDASQL;DSN=A;UID=u;PWD=;\""_qs));
    }
};

QTEST_MAIN(OdbcTest)
#include "tst_odbc.moc"
