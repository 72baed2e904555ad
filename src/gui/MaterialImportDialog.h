#pragma once

#include "base/MaterialLines.h"

#include <QDialog>

class QLabel;
class QTableView;

// What a paste or an import of material lines will do, before anything is written: each line added,
// changed and into what, or refused with its reason. 确定 writes the accepted rows, 取消 nothing.
class MaterialImportDialog : public QDialog
{
    Q_OBJECT

public:
    MaterialImportDialog(const MaterialLines::Plan& plan, QWidget* parent = nullptr);

    const MaterialLines::Plan& plan() const { return m_plan; }
    QTableView* view() const { return m_view; }

private:
    MaterialLines::Plan m_plan;
    QLabel* m_summary = nullptr;
    QTableView* m_view = nullptr;
};
