#include "gui/LoginWindow.h"

#include "base/AppPaths.h"
#include "base/SystemUser.h"
#include "gui/ServerAddressDialog.h"
#include "service/ServerAddressFile.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"
#include "service/ServiceRequest.h"
#include "service/TransferControl.h"
#include "ui/Messages.h"
#include "ui/PasswordEcho.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
// The window's own caption, shown again once a missing address has been set.
QString windowCaption()
{
    return QStringLiteral("Quillon建站 登录");
}
QString loginTitle()
{
    return QStringLiteral("登录");
}
} // namespace

LoginWindow::LoginWindow(ServiceConnection& service, QWidget* parent, std::chrono::milliseconds timeout)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_service(service)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(windowCaption());

    m_userNameLabel = new QLabel(QStringLiteral("用户名(&U):"), this);
    m_userNameLabel->setObjectName(QStringLiteral("lblLabels_0"));
    m_txtUserName = new QLineEdit(this);
    m_txtUserName->setObjectName(QStringLiteral("txtUserName"));
    m_userNameLabel->setBuddy(m_txtUserName);

    m_passwordLabel = new QLabel(QStringLiteral("密码(&P):"), this);
    m_passwordLabel->setObjectName(QStringLiteral("lblLabels_1"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    PasswordEcho::useAsterisks(m_txtPassword);
    m_passwordLabel->setBuddy(m_txtPassword);

    // Without https the password travels in clear: said under it, where a screen reader reads it too.
    m_unencrypted = new QLabel(QStringLiteral("连接未加密：密码以明文发送"), this);
    m_unencrypted->setObjectName(QStringLiteral("lblUnencrypted"));
    m_unencrypted->hide();

    m_cmdOK = new QPushButton(QStringLiteral("确定"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // A program installed from a package has no server.txt of its own: the address is set here.
    m_cmdServer = new QPushButton(QStringLiteral("设置服务器(&S)…"), this);
    m_cmdServer->setObjectName(QStringLiteral("cmdServer"));
    m_cmdServer->hide();

    auto* grid = new QGridLayout;
    grid->addWidget(m_userNameLabel, 0, 0);
    grid->addWidget(m_txtUserName, 0, 1);
    grid->addWidget(m_passwordLabel, 1, 0);
    grid->addWidget(m_txtPassword, 1, 1);
    grid->addWidget(m_unencrypted, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdServer);
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_txtPassword, m_txtUserName);
    setTabOrder(m_txtUserName, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);
    m_txtPassword->setFocus();

    m_jiazaiTimer = new QTimer(this);
    m_jiazaiTimer->setObjectName(QStringLiteral("jiazaiTimer"));
    m_jiazaiTimer->setSingleShot(true);
    connect(m_jiazaiTimer, &QTimer::timeout, this, &LoginWindow::jiazaiTimer_Timer);

    m_userInet = new TransferControl(service, timeout, this);
    m_userInet->setObjectName(QStringLiteral("UserInet"));
    connect(m_userInet, &TransferControl::stateChanged, this, &LoginWindow::UserInet_StateChanged);

    connect(m_cmdOK, &QPushButton::clicked, this, &LoginWindow::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &LoginWindow::cmdCancel_Click);
    connect(m_cmdServer, &QPushButton::clicked, this, &LoginWindow::cmdServer_Click);

    Form_Load();
}

void LoginWindow::Form_Load()
{
    m_txtUserName->setText(SystemUser::loginName());
    m_jiazaiTimer->start(10);
    m_cmdOK->setEnabled(false);
}

void LoginWindow::jiazaiTimer_Timer()
{
    m_jiazaiTimer->stop();
    const ServerAddressFile file = ServerAddressFile::read(ServerAddressFile::locate(AppPaths::programFolder()));
    m_cmdServer->setVisible(file.status == ServerAddressFile::Status::Missing ||
                            file.status == ServerAddressFile::Status::Empty);
    m_unencrypted->setVisible(file.status == ServerAddressFile::Status::Ok &&
                              !file.address.startsWith(u"https://", Qt::CaseInsensitive));
    switch (file.status) {
    case ServerAddressFile::Status::Missing:
        setWindowTitle(QStringLiteral("却少文件！"));
        return;
    case ServerAddressFile::Status::Empty:
        setWindowTitle(QStringLiteral("软件配置有问题！"));
        return;
    case ServerAddressFile::Status::Unreadable:
        setWindowTitle(QStringLiteral("软件配置有问题！"));
        Messages::show(this, u"无法读取 server.txt：" + file.error, loginTitle());
        return;
    case ServerAddressFile::Status::Ok:
        m_service.setServerAddr(file.address);
        m_cmdOK->setEnabled(true);
        return;
    }
}

void LoginWindow::cmdServer_Click()
{
    // Nothing is sent: once the address is written it is read as at opening, and 确定 comes on.
    auto* dialog = new ServerAddressDialog(AppPaths::programFolder(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this] {
        setWindowTitle(windowCaption());
        jiazaiTimer_Timer();
        m_txtPassword->setFocus();
    });
    dialog->open();
}

void LoginWindow::cmdOK_Click()
{
    if (m_txtPassword->text().isEmpty()) {
        Messages::show(this, QStringLiteral("密码不能为空！"));
        m_txtPassword->setFocus();
        return;
    }
    // A second confirm while the first request runs is refused by the transfer and changes nothing.
    ServiceRequest::post(*m_userInet, ServiceProtocol::loginBody(m_txtPassword->text()));
}

void LoginWindow::cmdCancel_Click()
{
    m_loginPassed = false;
    m_userInet->cancel();
    hide();
    done(QDialog::Rejected);
}

void LoginWindow::reject()
{
    cmdCancel_Click();
}

void LoginWindow::UserInet_StateChanged(int state)
{
    const auto outcome = ServiceRequest::onStateChanged(*m_userInet, ServiceProtocol::Action::Ulogin, state,
                                                        [this](const QString& text) { setWindowTitle(text); });
    if (!outcome)
        return;
    if (outcome->accepted) {
        m_loginPassed = true;
        hide();
        done(QDialog::Accepted);
        return;
    }
    if (!outcome->message.isEmpty())
        Messages::showLater(this, outcome->message, loginTitle(), [this] { selectPasswordAfterMessage(); });
}

void LoginWindow::selectPasswordAfterMessage()
{
    m_txtPassword->setFocus();
    m_txtPassword->setSelection(0, static_cast<int>(m_txtPassword->text().size()));
}
