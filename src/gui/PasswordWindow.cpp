#include "gui/PasswordWindow.h"

#include "service/ServiceProtocol.h"
#include "service/ServiceRequest.h"
#include "service/TransferControl.h"
#include "ui/Fonts.h"
#include "ui/Messages.h"
#include "ui/PasswordEcho.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PasswordWindow::PasswordWindow(ServiceConnection& service, QWidget* parent, std::chrono::milliseconds timeout)
    : NoCancelDialog(parent)
{
    setObjectName(QStringLiteral("mima"));
    setWindowTitle(QStringLiteral("修改密码"));

    auto* heading = new QLabel(QStringLiteral("输入新密码"), this);
    heading->setObjectName(QStringLiteral("lblLabels_0"));
    heading->setFont(Fonts::yahei(12));
    auto* label = new QLabel(QStringLiteral("密码:"), this);
    label->setObjectName(QStringLiteral("lblLabels_1"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    PasswordEcho::useAsterisks(m_txtPassword);
    m_txtPassword->setAccessibleName(QStringLiteral("新密码"));
    label->setBuddy(m_txtPassword);
    m_modOK = new QPushButton(QStringLiteral("修改"), this);
    m_modOK->setObjectName(QStringLiteral("ModOK"));
    m_modOK->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(heading, 0, 0, 1, 3);
    layout->addWidget(label, 1, 0);
    layout->addWidget(m_txtPassword, 1, 1);
    layout->addWidget(m_modOK, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_modOK, m_txtPassword);
    m_modOK->setFocus();

    m_userInet = new TransferControl(service, timeout, this);
    m_userInet->setObjectName(QStringLiteral("UserInet"));
    connect(m_userInet, &TransferControl::stateChanged, this, &PasswordWindow::UserInet_StateChanged);
    connect(m_modOK, &QPushButton::clicked, this, &PasswordWindow::ModOK_Click);
}

void PasswordWindow::ModOK_Click()
{
    if (m_txtPassword->text().isEmpty()) {
        Messages::show(this, QStringLiteral("密码不能为空！"));
        m_txtPassword->setFocus();
        return;
    }
    if (const QString problem = ServiceProtocol::newPasswordProblem(m_txtPassword->text()); !problem.isEmpty()) {
        Messages::show(this, problem);
        m_txtPassword->setFocus();
        return;
    }
    ServiceRequest::post(*m_userInet, ServiceProtocol::passwordChangeBody(m_txtPassword->text()));
}

void PasswordWindow::UserInet_StateChanged(int state)
{
    const auto outcome = ServiceRequest::onStateChanged(*m_userInet, ServiceProtocol::Action::modmima, state,
                                                        [this](const QString& text) { setWindowTitle(text); });
    if (!outcome || outcome->message.isEmpty())
        return;
    Messages::showLater(this, outcome->message, {}, [this, accepted = outcome->accepted, message = outcome->message] {
        if (!accepted)
            return;
        setWindowTitle(message);
        close();
    });
}
