#include "gui/LoginWindow.h"
#include "support/Child.h"
#include "support/ServiceFixture.h"

#include <QtWidgets>

using namespace std::chrono_literals;

namespace {

// A control of a window by the name assistive technology reads for it.
template <typename T> T* named(QWidget* window, const QString& name)
{
    for (T* control : window->findChildren<T*>()) {
        if (QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name) == name)
            return control;
    }
    QTest::qFail(qPrintable(u"no control named " + name), __FILE__, __LINE__);
    return nullptr;
}

struct Fixture : ServiceFixture
{
    std::unique_ptr<LoginWindow> window;

    Fixture()
    {
        folder.write(u"server.txt"_qs, (u"/"_qs + server.hostPort() + u",ignored\r\n"_qs).toUtf8());
        service.setServerAddr({});
        window = std::make_unique<LoginWindow>(service, nullptr, 5s);
        window->show();
    }
    QLineEdit* password() const { return child<QLineEdit>(window, u"txtPassword"_qs); }
    QPushButton* ok() const { return child<QPushButton>(window, u"cmdOK"_qs); }
    // Types the password, confirms and waits for the transfer to end.
    bool confirm(const QString& text) const
    {
        if (!QTest::qWaitFor([this] { return ok()->isEnabled(); }))
            return false;
        password()->setText(text);
        return clickAndWait(ok(), window->transfer());
    }
};

} // namespace

class LoginWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void readsTheServerFileFirst()
    {
        Fixture f;
        QVERIFY(!f.ok()->isEnabled());
        QCOMPARE(f.password()->echoMode(), QLineEdit::Password);
        QCOMPARE(f.window->focusWidget(), f.password());
        QTRY_VERIFY(f.ok()->isEnabled());
        QCOMPARE(f.service.ServerAddr(), u"http://"_qs + f.server.hostPort());

        // A missing or empty server.txt shows in the caption, and nothing can be confirmed.
        for (const QString& caption : {u"却少文件！"_qs, u"软件配置有问题！"_qs}) {
            if (caption == u"却少文件！")
                QFile::remove(f.folder.filePath(u"server.txt"_qs));
            else
                f.folder.write(u"server.txt"_qs, QByteArray());
            LoginWindow window(f.service);
            window.show();
            QTRY_COMPARE(window.windowTitle(), caption);
            QVERIFY(!child<QPushButton>(&window, u"cmdOK"_qs)->isEnabled());
        }
        QVERIFY(f.messages.shown.isEmpty());
    }

    // "3" lets the user in and hides the window; every other reply leaves it open with its message.
    void repliesToALogin_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        const QString sent = u"向主机发送数据完毕"_qs;
        QTest::newRow("3") << QByteArray("3") << QString() << sent;
        QTest::newRow("0") << QByteArray("0") << u"请不要非法操作！"_qs << sent;
        QTest::newRow("2") << QByteArray("2") << u"用户信息错误！"_qs << sent;
        QTest::newRow("closed port") << QByteArray("closed") << QString() << u"与主机通讯时出现了错误"_qs;
    }
    void repliesToALogin()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        Fixture f;
        f.server.setReply(reply);
        QTRY_VERIFY(f.ok()->isEnabled());
        if (reply == "closed")
            f.service.setServerAddr(TestHttpServer::closedUrl());
        QSignalSpy done(f.window.get(), &QDialog::finished);
        QVERIFY(f.confirm(u"  pass&word  "_qs));
        const bool accepted = reply == "3";
        QCOMPARE(f.window->LoginPassed(), accepted);
        QCOMPARE(f.window->isVisible(), !accepted);
        QCOMPARE(done.count(), accepted ? 1 : 0);
        QCOMPARE(f.window->windowTitle(), caption);
        if (reply != "closed")
            QCOMPARE(f.lastBody(), QByteArray("action=Ulogin&Pass=pass&word"));
        QCOMPARE(f.messages.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(f.messages.shown[0].title, u"登录"_qs);
            QCOMPARE(f.password()->selectedText(), u"  pass&word  "_qs);
        }
    }

    // Without server.txt (and none from an administrator) the address is set in the window; then 确定
    // comes on, and a link without https says the password travels in clear.
    void theAddressIsSetWithoutTheFile()
    {
        Fixture f;
        QFile::remove(f.folder.filePath(u"server.txt"_qs));
        qputenv("XDG_CONFIG_DIRS", f.folder.filePath(u"nothing here"_qs).toLocal8Bit());
        LoginWindow window(f.service);
        window.show();
        QTRY_COMPARE(window.windowTitle(), u"却少文件！"_qs);
        QAbstractButton* set = named<QPushButton>(&window, u"设置服务器(S)…"_qs);
        QVERIFY(set && set->isVisible());
        set->click();
        QDialog* dialog = window.findChild<QDialog*>(u"frmServer"_qs);
        QVERIFY(dialog && dialog->isVisible());
        QLineEdit* address = named<QLineEdit>(dialog, u"服务器地址(A):"_qs);
        QVERIFY(address);
        address->setText(u"http://"_qs + f.server.hostPort() + u"/app"_qs);
        named<QPushButton>(dialog, u"保存(S)"_qs)->click();
        QVERIFY(dialog->isVisible()); // refused: a path
        QCOMPARE(address->accessibleDescription(), u"地址只要协议、主机和端口，不要路径或其他部分。"_qs);
        address->setText(u"http://"_qs + f.server.hostPort());
        named<QPushButton>(dialog, u"保存(S)"_qs)->click();
        QTRY_VERIFY(child<QPushButton>(&window, u"cmdOK"_qs)->isEnabled());
        QCOMPARE(f.folder.read(u"server.txt"_qs), u"/"_qs.toUtf8() + f.server.hostPort().toUtf8() + "\r\n");
        QCOMPARE(QFileInfo(f.folder.filePath(u"server.txt"_qs)).permissions() & QFileDevice::Permissions(0x7077),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(named<QLabel>(&window, u"连接未加密：密码以明文发送"_qs)->isVisible());
        QVERIFY(!set->isVisible());
    }

    void emptyPasswordIsRefusedLocally()
    {
        Fixture f;
        QVERIFY(QTest::qWaitFor([&f] { return f.ok()->isEnabled(); }));
        f.ok()->click();
        QCOMPARE(f.messages.texts(), QStringList{u"密码不能为空！"_qs});
        QCOMPARE(f.messages.shown[0].title, u"Quillon建站1.0A版-站群"_qs);
        QVERIFY(!f.window->transfer()->stillExecuting()); // refused before anything was sent
    }
};

QTEST_MAIN(LoginWindowTest)
#include "tst_loginwindow.moc"
