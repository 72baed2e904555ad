#include "gui/RelatedInfoWindow.h"

#include "gui/ProcessState.h"
#include "store/CheckedTableModel.h"
#include "store/LocalStore.h"
#include "ui/Messages.h"
#include "ui/PendingEdits.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>

RelatedInfoWindow::RelatedInfoWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("xiangguan"));
    setWindowTitle(QStringLiteral("相关信息"));
    resize(640, 320);

    m_model = new CheckedTableModel(QStringLiteral("config"), LocalStore::connection(), this);
    m_model->selectAll();
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdDataGrid"));
    m_grid->setModel(m_model);
    m_grid->setGeometry(0, 0, width(), height() - Twips::px(30));
    m_grid->setAccessibleName(windowTitle());
    m_grid->horizontalHeader()->setStretchLastSection(true);
    static const char16_t* const kColumns[][2] = {
        {u"title", u"单位"}, {u"Address", u"地址"}, {u"tel", u"电话"}, {u"qq", u"Q Q"}, {u"about", u"简介"},
    };
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_grid->setColumnHidden(column, true);
    int visual = 0;
    for (const auto& column : kColumns) {
        const int index = m_model->fieldIndex(QString::fromUtf16(column[0]));
        if (index < 0)
            continue;
        m_model->setHeaderData(index, Qt::Horizontal, QString::fromUtf16(column[1]));
        m_grid->setColumnHidden(index, false);
        m_grid->horizontalHeader()->moveSection(m_grid->horizontalHeader()->visualIndex(index), visual++);
    }
    connect(m_model, &CheckedTableModel::submitFailed, this,
            [this](const QString& description) { Messages::show(this, description); });
}

void RelatedInfoWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int gridHeight = height() - Twips::px(30);
    if (gridHeight > 0)
        m_grid->resize(m_grid->width(), gridHeight);
}

void RelatedInfoWindow::closeEvent(QCloseEvent* event)
{
    if (!PendingEdits::settleBeforeClose(this, m_model)) {
        event->ignore();
        return;
    }
    ProcessState::DataChanged = 100;
    QWidget::closeEvent(event);
}
