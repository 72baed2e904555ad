#include "odbc/OdbcLogonDialog.h"

#include "odbc/OdbcCatalog.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

OdbcLogonDialog::OdbcLogonDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmODBCLogon"));
    setWindowTitle(QStringLiteral("ODBC 登录"));

    auto* frame = new QGroupBox(QStringLiteral("连接值"), this);
    frame->setObjectName(QStringLiteral("fraStep3"));
    auto* form = new QFormLayout(frame);
    auto addRow = [&](int index, const QString& caption, QWidget* field, const QString& name) {
        field->setObjectName(name);
        auto* label = new QLabel(caption, frame);
        label->setObjectName(QStringLiteral("lblStep3_%1").arg(index));
        label->setBuddy(field);
        form->addRow(label, field);
    };
    m_dataSources = new QComboBox(frame);
    m_uid = new QLineEdit(frame);
    m_pwd = new QLineEdit(frame);
    m_database = new QLineEdit(frame);
    m_drivers = new QComboBox(frame);
    m_server = new QLineEdit(frame);
    addRow(0, QStringLiteral("&DSN:"), m_dataSources, QStringLiteral("cboDSNList"));
    addRow(1, QStringLiteral("&UID:"), m_uid, QStringLiteral("txtUID"));
    addRow(2, QStringLiteral("密码(&P):"), m_pwd, QStringLiteral("txtPWD"));
    addRow(3, QStringLiteral("数据库(&B):"), m_database, QStringLiteral("txtDatabase"));
    addRow(4, QStringLiteral("驱动(&V):"), m_drivers, QStringLiteral("cboDrivers"));
    addRow(5, QStringLiteral("服务器(&S):"), m_server, QStringLiteral("txtServer"));
    m_drivers->setEnabled(false);
    m_server->setEnabled(false);

    auto* ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &OdbcLogonDialog::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_dataSources, &QComboBox::currentIndexChanged, this, &OdbcLogonDialog::cboDSNList_Click);

    GetDSNsAndDrivers();
}

void OdbcLogonDialog::GetDSNsAndDrivers()
{
    const OdbcCatalog catalog = OdbcCatalog::GetDSNsAndDrivers();
    m_dataSources->addItems(catalog.dataSources);
    m_drivers->addItems(catalog.drivers);
    m_dataSources->setCurrentIndex(0);
    cboDSNList_Click();
}

void OdbcLogonDialog::cboDSNList_Click()
{
    const bool none = m_dataSources->currentText() == u"(None)";
    m_drivers->setEnabled(none);
    m_server->setEnabled(none);
}

void OdbcLogonDialog::cmdOK_Click()
{
    const OdbcConnect::Values values{m_dataSources->currentIndex(),
                                     m_dataSources->currentText(),
                                     m_drivers->currentText(),
                                     m_server->text(),
                                     m_uid->text(),
                                     m_pwd->text(),
                                     m_database->text()};
    Messages::show(this, OdbcConnect::messageText(OdbcConnect::providerString(values)));
}
