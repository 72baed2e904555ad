#include "gui/MaterialImportDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The lines in order of their number, each with what becomes of it.
QStandardItemModel* rowsModel(const MaterialLines::Plan& plan, QObject* parent)
{
    auto* model = new QStandardItemModel(0, 3, parent);
    model->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("原文"), QStringLiteral("结果")});
    QList<const MaterialLines::Row*> rows;
    rows.reserve(plan.accepted.size() + plan.refused.size());
    for (const MaterialLines::Row& row : plan.accepted)
        rows.append(&row);
    for (const MaterialLines::Row& row : plan.refused)
        rows.append(&row);
    std::sort(rows.begin(), rows.end(), [](const auto* a, const auto* b) { return a->line < b->line; });
    model->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const MaterialLines::Row& row = *rows[i];
        QString result = !row.reason.isEmpty() ? u"拒绝：" + row.reason
                         : row.changed         ? u"添加，改为 " + row.value
                                               : QStringLiteral("添加");
        if (row.reason.isEmpty() && row.count != 1)
            result += QStringLiteral("（%1 个站）").arg(row.count);
        model->setItem(i, 0, new QStandardItem(QString::number(row.line)));
        model->setItem(i, 1, new QStandardItem(row.written));
        model->setItem(i, 2, new QStandardItem(result));
    }
    return model;
}

} // namespace

MaterialImportDialog::MaterialImportDialog(const MaterialLines::Plan& plan, QWidget* parent)
    : QDialog(parent), m_plan(plan)
{
    setObjectName(QStringLiteral("materialImport"));
    setWindowTitle(QStringLiteral("批量添加"));
    resize(560, 420);
    m_summary =
        new QLabel(QStringLiteral("将添加 %1 行（其中 %2 行有改动），拒绝 %3 行。按“确定”写入，按“取消”什么也不写。")
                       .arg(plan.accepted.size())
                       .arg(plan.changedCount())
                       .arg(plan.refused.size()),
                   this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("lines"));
    m_view->setAccessibleName(QStringLiteral("各行的结果"));
    m_view->setModel(rowsModel(plan, m_view));
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // A line as written may be a whole address: one line a row, cut at the end rather than wrapped.
    m_view->setWordWrap(false);
    m_view->setColumnWidth(1, 240);
    m_summary->setBuddy(m_view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    // Nothing to add: only 取消 does anything.
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!plan.accepted.isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
}
