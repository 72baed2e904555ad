#pragma once

#include <QSet>
#include <QString>
#include <QWidget>

class KeywordRecordsModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;
class QTimer;

// The records of the keyword window's list as a table: sorted by any column (a click on its header, or
// from the keyboard through the context menu), filtered by text, source and 次数, the selected rows
// copied for a spreadsheet or deleted; the current word's path of seeds below it.
class KeywordRecordsView : public QWidget
{
    Q_OBJECT

public:
    KeywordRecordsView(KeywordRecordsModel* model, QWidget* parent = nullptr);

    QTableView* table() const { return m_table; }
    QSet<QString> selectedKeywords() const;
    void copySelection() const;
    // Says how many rows are shown of how many; the window calls it when the list changed.
    void showCounts();

signals:
    // The user asked to delete these keywords from the list.
    void deleteRequested(const QSet<QString>& keywords);
    // The user asked to take back the list's last change.
    void undoRequested();

private:
    void applyFilter();
    void showPath();
    void sortCurrentColumn(Qt::SortOrder order);

    KeywordRecordsModel* m_model;
    QLineEdit* m_text = nullptr;
    QComboBox* m_source = nullptr;
    QSpinBox* m_minCount = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_counts = nullptr;
    QLabel* m_path = nullptr;
    QTimer* m_filterTimer = nullptr;
};
