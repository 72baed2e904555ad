#include "gui/ServerAddressDialog.h"

#include "service/ServerAddressFile.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ServerAddressDialog::ServerAddressDialog(const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("frmServer"));
    setWindowTitle(QStringLiteral("设置服务器"));
    auto* label = new QLabel(QStringLiteral("服务器地址(&A):"), this);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("serverAddress"));
    m_address->setPlaceholderText(QStringLiteral("https://example.com"));
    label->setBuddy(m_address);
    auto* hint = new QLabel(QStringLiteral("例如 https://example.com 或 http://example.com:8080"), this);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("addressProblem"));
    m_problem->setWordWrap(true);
    m_problem->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Save)->setText(QStringLiteral("保存(&S)"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerAddressDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServerAddressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_address);
    layout->addWidget(hint);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
}

void ServerAddressDialog::accept()
{
    const QString typed = m_address->text().trimmed();
    QString problem = ServerAddressFile::addressProblem(typed);
    if (problem.isEmpty() && !ServerAddressFile::write(m_programFolder, typed, &problem) && problem.isEmpty())
        problem = QStringLiteral("server.txt 没有写成。");
    if (!problem.isEmpty()) {
        // Said beside the field, where a screen reader reads it as the field's description.
        m_problem->setText(problem);
        m_problem->show();
        m_address->setAccessibleDescription(problem);
        m_address->setFocus();
        return;
    }
    QDialog::accept();
}
