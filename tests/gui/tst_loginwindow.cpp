#include "gui/LoginWindow.h"
#include "service/ServiceConnection.h"
#include "service/TransferControl.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace std::chrono_literals;

class LoginWindowTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        TestFolder folder;
        MessageRecorder messages;
        TestHttpServer server;
        ServiceConnection service;
        std::unique_ptr<LoginWindow> window;

        explicit Fixture(std::chrono::milliseconds timeout = 5s)
        {
            folder.write(u"server.txt"_qs, (u"/"_qs + server.hostPort() + u",ignored\r\n"_qs).toUtf8());
            window = std::make_unique<LoginWindow>(service, nullptr, timeout);
            window->show();
        }
        QLineEdit* password() const { return child<QLineEdit>(window, u"txtPassword"_qs); }
        QPushButton* ok() const { return child<QPushButton>(window, u"cmdOK"_qs); }
        // Types the password, confirms and waits for the transfer to end.
        void confirm(const QString& text)
        {
            QTRY_VERIFY(ok()->isEnabled());
            password()->setText(text);
            QSignalSpy finished(window->transfer(), &TransferControl::finished);
            ok()->click();
            QVERIFY(finished.wait(10000));
        }
    };

private slots:
    void layoutAndKeyboard()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), u"Quillon建站 登录"_qs);
        QVERIFY(!f.ok()->isEnabled());
        QVERIFY(f.ok()->isDefault());
        QCOMPARE(child<QLabel>(f.window, u"lblLabels_1"_qs)->buddy(), f.password());
        QCOMPARE(child<QLabel>(f.window, u"lblLabels_0"_qs)->buddy(), child<QLineEdit>(f.window, u"txtUserName"_qs));
        QCOMPARE(f.password()->echoMode(), QLineEdit::Password);
        QCOMPARE(f.password()->nextInFocusChain(), child<QLineEdit>(f.window, u"txtUserName"_qs));
        QCOMPARE(f.window->focusWidget(), f.password());
        QTRY_VERIFY(f.ok()->isEnabled());
        QCOMPARE(f.service.ServerAddr(), u"http://"_qs + f.server.hostPort());
    }

    void serverFileProblemsShowInTheCaption()
    {
        Fixture f;
        QFile::remove(f.folder.filePath(u"server.txt"_qs));
        LoginWindow missing(f.service);
        missing.show();
        QTRY_COMPARE(missing.windowTitle(), u"却少文件！"_qs);
        QVERIFY(!child<QPushButton>(&missing, u"cmdOK"_qs)->isEnabled());

        f.folder.write(u"server.txt"_qs, QByteArray());
        LoginWindow empty(f.service);
        empty.show();
        QTRY_COMPARE(empty.windowTitle(), u"软件配置有问题！"_qs);
        QVERIFY(!child<QPushButton>(&empty, u"cmdOK"_qs)->isEnabled());
        QVERIFY(f.messages.shown.isEmpty());
    }

    void acceptedLoginHidesTheWindow()
    {
        Fixture f;
        f.server.setReply("3");
        QSignalSpy done(f.window.get(), &QDialog::finished);
        f.confirm(u"  pass&word  "_qs);
        QVERIFY(f.window->LoginPassed());
        QVERIFY(!f.window->isVisible());
        QCOMPARE(done.count(), 1);
        QCOMPARE(f.server.requests().value(0).body, QByteArray("action=Ulogin&Pass=pass&word"));
        QVERIFY(f.messages.shown.isEmpty());
    }

    void refusedLoginsShowTheirMessages_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << QByteArray("0") << u"请不要非法操作！"_qs;
        QTest::newRow("1") << QByteArray("1") << u"服务器错误,重试..."_qs;
        QTest::newRow("2") << QByteArray("2") << u"用户信息错误！"_qs;
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("two characters") << QByteArray("33") << QString();
        QTest::newRow("three characters") << QByteArray("abc") << u"网络中断或服务器超时！"_qs;
        QTest::newRow("over 1024 bytes") << QByteArray(4000, '3') << u"网络中断或服务器超时！"_qs;
    }
    void refusedLoginsShowTheirMessages()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        Fixture f;
        f.server.setReply(reply);
        f.confirm(u"wrong"_qs);
        QVERIFY(!f.window->LoginPassed());
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.window->windowTitle(), u"向主机发送数据完毕"_qs);
        if (message.isEmpty()) {
            QVERIFY(f.messages.shown.isEmpty());
        } else {
            QCOMPARE(f.messages.shown.size(), 1);
            QCOMPARE(f.messages.shown[0].title, u"登录"_qs);
            QCOMPARE(f.messages.shown[0].text, message);
            QCOMPARE(f.password()->selectedText(), u"wrong"_qs);
        }
    }

    void emptyPasswordIsRefusedLocally()
    {
        Fixture f;
        QTRY_VERIFY(f.ok()->isEnabled());
        f.ok()->click();
        QCOMPARE(f.messages.texts(), QStringList{u"密码不能为空！"_qs});
        QCOMPARE(f.messages.shown[0].title, u"Quillon建站1.0A版-站群"_qs);
        QVERIFY(!f.window->transfer()->stillExecuting()); // refused before anything was sent
    }

    void networkFailuresShowNoMessage()
    {
        Fixture f(300ms);
        f.server.setSilent();
        f.confirm(u"x"_qs);
        QCOMPARE(f.window->windowTitle(), u"与主机通讯时出现了错误"_qs);
        QVERIFY(f.messages.shown.isEmpty());

        f.service.setServerAddr(u"http://127.0.0.1:%1"_qs.arg(TestHttpServer::closedPort()));
        QSignalSpy finished(f.window->transfer(), &TransferControl::finished);
        f.ok()->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(f.window->windowTitle(), u"与主机通讯时出现了错误"_qs);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(!f.window->LoginPassed());
    }

    void aSecondConfirmWhileWaitingSendsNothing()
    {
        Fixture f;
        f.server.setReply("2");
        QTRY_VERIFY(f.ok()->isEnabled());
        f.password()->setText(u"x"_qs);
        QSignalSpy finished(f.window->transfer(), &TransferControl::finished);
        f.ok()->click();
        f.ok()->click();
        QVERIFY(finished.wait(10000));
        QVERIFY(!f.window->transfer()->stillExecuting());
        QCOMPARE(f.server.requestCount(), 1);
        QCOMPARE(f.messages.shown.size(), 1);
    }

    void escapeAndCloseBoxCancel()
    {
        Fixture f;
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QVERIFY(!f.window->isVisible());
        QVERIFY(!f.window->LoginPassed());

        Fixture g;
        g.window->close();
        QVERIFY(!g.window->isVisible());
        QVERIFY(!g.window->LoginPassed());
    }
};

QTEST_MAIN(LoginWindowTest)
#include "tst_loginwindow.moc"
