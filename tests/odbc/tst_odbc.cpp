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

    void theDialogListsTheSources()
    {
        QTemporaryDir folder;
        auto write = [&folder](const QString& name, const QByteArray& content) {
            QFile file(folder.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        };
        QVERIFY(
            write(u"odbcinst.ini"_qs, "[DriverX]\nDriver=/nonexistent/x.so\n\n[DriverY]\nDriver=/nonexistent/y.so\n"));
        QVERIFY(write(u"odbc.ini"_qs, "[A]\nDriver=DriverX\n\n[B]\nDriver=DriverX\n\n[C]\nDriver=DriverY\n"));
        qputenv("ODBCSYSINI", folder.path().toLocal8Bit());
        qputenv("ODBCINI", folder.filePath(u"odbc.ini"_qs).toLocal8Bit());
        MessageRecorder messages;
        OdbcLogonDialog dialog;
        auto* sources = child<QComboBox>(&dialog, u"cboDSNList"_qs);
        auto* drivers = child<QComboBox>(&dialog, u"cboDrivers"_qs);
        QCOMPARE(sources->itemText(0), u"(None)"_qs);
        for (const QString& name : {u"A"_qs, u"B"_qs, u"C"_qs})
            QVERIFY(sources->findText(name) > 0);
        QCOMPARE(drivers->count(), 2);
        QVERIFY(drivers->isEnabled());
        // A data source names its own driver and server.
        sources->setCurrentIndex(sources->findText(u"A"_qs));
        QVERIFY(!drivers->isEnabled());
        QVERIFY(!child<QLineEdit>(&dialog, u"txtServer"_qs)->isEnabled());
        child<QLineEdit>(&dialog, u"txtUID"_qs)->setText(u"u"_qs);
        dialog.cmdOK_Click();
        QVERIFY(
            messages.texts().last().contains(u"\r\ngConnection.Open \"PROVIDER=MSDASQL;DSN=A;UID=u;PWD=;\"\r\n"_qs));
    }
};

QTEST_MAIN(OdbcTest)
#include "tst_odbc.moc"
