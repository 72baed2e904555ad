#include "app/CommandLine.h"
#include "app/Startup.h"
#include "gui/LoginWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProcessState.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Drives the modal login window once it is up and ready: types the password and confirms, or cancels.
// A login that never shows or never gets ready fails the test after a while instead of hanging it; the
// poll goes with the test's own object either way.
void whenLoginShows(QObject* test, std::function<void(LoginWindow*)> act)
{
    auto* poll = new QTimer(test);
    QObject::connect(poll, &QTimer::timeout, [poll, act, deadline = QDeadlineTimer(20000)] {
        auto* login = qobject_cast<LoginWindow*>(QApplication::activeModalWidget());
        auto* ok = login ? login->findChild<QPushButton*>(u"cmdOK"_qs) : nullptr;
        const bool ready = ok && ok->isEnabled();
        if (!ready && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (ready) {
            act(login);
            return;
        }
        QTest::qFail("the login window never got ready", __FILE__, __LINE__);
        if (login)
            login->reject();
    });
    poll->start(20);
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLine()
    {
        QTemporaryDir executable;
        const QString user = executable.filePath(u"home/quillon"_qs);
        auto parse = [&](const QStringList& arguments) {
            return CommandLine::parse(QStringList{u"quillon"_qs} + arguments, executable.path(), user);
        };
        const CommandLine run = parse({u"--dir"_qs, u"/tmp/q"_qs, u"--odbc-logon"_qs});
        QCOMPARE(run.action, CommandLine::Action::Run);
        QCOMPARE(run.programFolder, u"/tmp/q"_qs);
        QVERIFY(run.odbcLogon);
        QCOMPARE(parse({}).programFolder, user);
        QCOMPARE(parse({u"--help"_qs}).action, CommandLine::Action::ShowHelp);
        QCOMPARE(parse({u"--bogus"_qs}).action, CommandLine::Action::Fail);
    }

    void acceptedLoginOpensExactlyOneMainWindow()
    {
        TestFolder folder;
        MessageRecorder messages;
        TestHttpServer server;
        QObject poll;
        server.setReply("3");
        folder.write(u"server.txt"_qs, (u"/"_qs + server.hostPort()).toUtf8());
        whenLoginShows(&poll, [](LoginWindow* login) {
            child<QLineEdit>(login, u"txtPassword"_qs)->setText(u"secret"_qs);
            child<QPushButton>(login, u"cmdOK"_qs)->click();
        });
        QVERIFY(Main());
        QVERIFY(QFile::exists(folder.filePath(u"data/db.sqlite"_qs)));
        QVERIFY(qobject_cast<MainWindow*>(ProcessState::MainForm.data()));
        const auto logins = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::count_if(windows.begin(), windows.end(),
                                 [](QWidget* w) { return qobject_cast<LoginWindow*>(w); });
        };
        QTRY_COMPARE(logins(), 0);
        int mainWindows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            mainWindows += qobject_cast<MainWindow*>(widget) && widget->isVisible() ? 1 : 0;
        QCOMPARE(mainWindows, 1);
        QCOMPARE(server.requests().value(0).body, QByteArray("action=Ulogin&Pass=secret"));
        ProcessState::MainForm->close();
        QTRY_VERIFY(!ProcessState::MainForm);
    }

    void cancelEndsBeforeAnyMainWindow()
    {
        TestFolder folder;
        MessageRecorder messages;
        QObject poll;
        folder.write(u"server.txt"_qs, "/127.0.0.1:9");
        whenLoginShows(&poll, [](LoginWindow* login) { child<QPushButton>(login, u"cmdCancel"_qs)->click(); });
        QVERIFY(!Main());
        QVERIFY(!ProcessState::MainForm);
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
