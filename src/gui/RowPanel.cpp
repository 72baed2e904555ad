#include "gui/RowPanel.h"

#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace {
// How many rows beyond the visible ones get their controls, so a step of the scroll bar shows
// finished rows at once.
constexpr int kSpareRows = 2;

QLineEdit* makeReadOnlyBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Midlight));
    box->setPalette(palette);
    return box;
}
} // namespace

RowPanel::RowPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("zi_Picture"));
    resize(293, kDesignHeight);
    m_states.resize(1);
    apply(0); // the design row
}

int RowPanel::contentHeight() const
{
    return std::max(kDesignHeight, kFirstRowTop + kRowPitch * m_placed);
}

void RowPanel::setRows(const std::vector<MaterialSnapshot::IdentifierRow>& rows)
{
    const int count = int(rows.size());
    if (int(m_states.size()) < count)
        m_states.resize(count);
    for (int i = 0; i < count; ++i) {
        RowState& state = m_states[i];
        // A Null identifier or count leaves the box as it was.
        if (rows[i].biaoshi)
            state.biaoshi = *rows[i].biaoshi;
        if (rows[i].number)
            state.number = *rows[i].number;
        state.id = rows[i].id;
        state.viewEnabled = rows[i].viewEnabled;
    }
    if (count == 0)
        m_states[0] = RowState{}; // an empty table shows the design row, not a stale identifier
    m_placed = count;
    resize(width(), contentHeight());
    for (int i = 0; i < int(m_controls.size()); ++i) {
        if (m_controls[i].biao)
            apply(i);
    }
}

void RowPanel::setViewport(int top, int height)
{
    const int first = std::max(0, (top - kFirstRowTop) / kRowPitch - kSpareRows);
    const int last = std::min(std::max(m_placed, 1) - 1, (top + height) / kRowPitch + kSpareRows);
    for (int i = first; i <= last; ++i)
        ensure(i);
}

RowPanel::RowControls& RowPanel::controls(int index)
{
    if (int(m_controls.size()) <= index)
        m_controls.resize(index + 1);
    RowControls& row = m_controls[index];
    if (row.biao)
        return row;

    const QString suffix = u"_" + QString::number(index);
    row.biao = makeReadOnlyBox(this, u"zi_biao" + suffix);
    row.shu = makeReadOnlyBox(this, u"zi_shu" + suffix);
    row.id = new QLineEdit(this);
    row.id->setObjectName(u"zi_id" + suffix);
    row.id->hide();
    row.shen = new QPushButton(QStringLiteral("生成"), this);
    row.shen->setObjectName(u"zi_shen" + suffix);
    row.cha = new QPushButton(QStringLiteral("查看"), this);
    row.cha->setObjectName(u"zi_cha" + suffix);
    row.line = new QFrame(this);
    row.line->setObjectName(u"zi_Line" + suffix);
    row.line->setFrameShape(QFrame::HLine);
    row.line->setFrameShadow(QFrame::Plain);
    row.line->setForegroundRole(QPalette::Mid);
    row.biao->setAccessibleName(QStringLiteral("标识 %1").arg(index + 1));
    row.shu->setAccessibleName(QStringLiteral("数量 %1").arg(index + 1));
    for (QWidget* control : {static_cast<QWidget*>(row.biao), static_cast<QWidget*>(row.shu),
                             static_cast<QWidget*>(row.shen), static_cast<QWidget*>(row.cha)}) {
        control->setProperty("rowIndex", index);
        control->installEventFilter(this);
    }
    connect(row.shen, &QPushButton::clicked, this, [this, index] { emit generateClicked(index); });
    connect(row.cha, &QPushButton::clicked, this, [this, index] { emit viewClicked(index); });
    return row;
}

void RowPanel::apply(int index)
{
    if (int(m_states.size()) <= index)
        m_states.resize(index + 1);
    RowControls& row = controls(index);
    const RowState& state = m_states[index];
    const int top = kFirstRowTop + kRowPitch * index;
    const bool shown = isShown(index);
    row.biao->setGeometry(kRowLeft, top, 81, 20);
    row.biao->setText(state.biaoshi);
    row.biao->setCursorPosition(0);
    row.shu->setGeometry(kRowLeft + 108, top, 49, 20);
    row.shu->setText(state.number);
    row.id->setText(state.id);
    row.shen->setGeometry(kRowLeft + 187, top, 36, 23);
    row.cha->setGeometry(kRowLeft + 237, top, 36, 23);
    row.cha->setEnabled(state.viewEnabled);
    row.line->setGeometry(2, top + 28, 298, 1);
    for (QWidget* widget :
         {static_cast<QWidget*>(row.biao), static_cast<QWidget*>(row.shu), static_cast<QWidget*>(row.shen),
          static_cast<QWidget*>(row.cha), static_cast<QWidget*>(row.line)})
        widget->setVisible(shown);
}

bool RowPanel::eventFilter(QObject* watched, QEvent* event)
{
    // A row reached with the keyboard is brought into view.
    if (event->type() == QEvent::FocusIn)
        emit rowFocused(watched->property("rowIndex").toInt());
    return QWidget::eventFilter(watched, event);
}

RowPanel::RowControls& RowPanel::ensure(int index)
{
    if (index >= int(m_controls.size()) || !m_controls[index].biao)
        apply(index);
    return m_controls[index];
}

QLineEdit* RowPanel::biao(int index)
{
    return ensure(index).biao;
}
QLineEdit* RowPanel::shu(int index)
{
    return ensure(index).shu;
}
QLineEdit* RowPanel::id(int index)
{
    return ensure(index).id;
}
QPushButton* RowPanel::cha(int index)
{
    return ensure(index).cha;
}

void RowPanel::enableView(int index)
{
    ensure(index).cha->setEnabled(true);
    m_states[index].viewEnabled = true;
}

int RowPanel::indexOfId(const QString& id) const
{
    for (int i = 0; i < m_placed; ++i) {
        if (m_states[i].id == id)
            return i;
    }
    return -1;
}
