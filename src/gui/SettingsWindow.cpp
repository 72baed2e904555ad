#include "gui/SettingsWindow.h"

#include "gui/ProcessState.h"
#include "store/LocalStore.h"
#include "ui/Messages.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

SettingsWindow::SettingsWindow(QWidget* parent) : NoCancelDialog(parent)
{
    setObjectName(QStringLiteral("suiji"));
    setWindowTitle(QStringLiteral("网站设置"));
    auto* layout = new QGridLayout(this);

    m_title = addGroup(QStringLiteral("title"), QStringLiteral("标题："),
                       {QStringLiteral("地域性词"), QStringLiteral("特殊符号"), QStringLiteral("网络流行语"),
                        QStringLiteral("诱惑性词语"), QStringLiteral("自定义")},
                       0);
    m_body = addGroup(QStringLiteral("body"), QStringLiteral("内容："),
                      {QStringLiteral("名人名言"), QStringLiteral("成功励志"), QStringLiteral("人生感悟"),
                       QStringLiteral("寓言故事"), QStringLiteral("自定义")},
                      1);
    m_hang = addGroup(QStringLiteral("hang"), QStringLiteral("行业："),
                      {QStringLiteral("制造业"), QStringLiteral("农林牧渔"), QStringLiteral("房地产"),
                       QStringLiteral("医疗卫生"), QStringLiteral("自定义")},
                      2);

    auto* save = new QPushButton(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("baocun"));
    save->setDefault(true);
    save->setAutoDefault(true);
    layout->addWidget(save, 3, 1, Qt::AlignRight);
    connect(save, &QPushButton::clicked, this, &SettingsWindow::baocun_Click);

    Form_Load();
}

QButtonGroup* SettingsWindow::addGroup(const QString& name, const QString& label, const QStringList& captions, int row)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    auto* caption = new QLabel(label, this);
    auto* box = new QGroupBox(this);
    box->setObjectName(name);
    box->setFlat(true);
    auto* buttons = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions[i], box);
        option->setObjectName(name + u'_' + QString::number(i));
        option->setEnabled(i != 4);
        group->addButton(option, i);
        buttons->addWidget(option);
    }
    group->button(0)->setChecked(true);
    caption->setBuddy(group->button(0));
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
    return group;
}

void SettingsWindow::Form_Load()
{
    const bool read = MaterialChoice::read(LocalStore::connection(), &m_choice);
    if (read) {
        // A stored value with no option of its own leaves the first option shown, and is kept as it is.
        auto select = [](QButtonGroup* group, const QVariant& value) {
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (ok && number >= 0 && number <= 4 && number == int(number))
                group->button(int(number))->setChecked(true);
        };
        select(m_title, m_choice.title);
        select(m_body, m_choice.body);
        select(m_hang, m_choice.hang);
    }
    rememberShown();
}

void SettingsWindow::rememberShown()
{
    m_shown[0] = m_title->checkedId();
    m_shown[1] = m_body->checkedId();
    m_shown[2] = m_hang->checkedId();
}

MaterialChoice SettingsWindow::shownChoice() const
{
    MaterialChoice choice = m_choice;
    if (m_title->checkedId() != m_shown[0])
        choice.title = m_title->checkedId();
    if (m_body->checkedId() != m_shown[1])
        choice.body = m_body->checkedId();
    if (m_hang->checkedId() != m_shown[2])
        choice.hang = qint16(m_hang->checkedId());
    return choice;
}

void SettingsWindow::baocun_Click()
{
    const MaterialChoice choice = shownChoice();
    const QString error = choice.write(LocalStore::connection());
    if (!error.isEmpty()) {
        Messages::show(this, u"没有保存：" + error);
        return;
    }
    m_choice = choice;
    rememberShown();
    Messages::show(this, QStringLiteral("已保存！"));
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    ProcessState::DataChanged = 100;
    NoCancelDialog::closeEvent(event);
}
