#pragma once

#include <QWidget>

class CheckedTableModel;
class QTableView;

// xiangguan (相关信息): the company's contact details, every row of table config, edited in a grid.
class RelatedInfoWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RelatedInfoWindow(QWidget* parent = nullptr);

    CheckedTableModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CheckedTableModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
};
