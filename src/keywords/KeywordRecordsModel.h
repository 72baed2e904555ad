#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <vector>

class KeywordRecords;

// The records of the list's lines as a table that sorts and filters itself: a row for each keyword of
// the list that has a record. A row costs four bytes and a bit, whatever the list: the records hold
// everything shown. Rows that stay keep their place when the list changes or the search adds keywords,
// so a view keeps its order and selection; a new keyword goes where the order puts it.
class KeywordRecordsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        Keyword,
        Count,
        Results,
        Source,
        Seed,
        Expansion,
        Pass,
        Found,
        ColumnCount,
    };
    struct Filter
    {
        QString text;   // in the keyword, letter case aside; empty: any
        QString source; // its name; empty: any
        int minCount = 1;

        bool operator==(const Filter&) const = default;
    };

    // The records only ever grow while the model lives.
    explicit KeywordRecordsModel(const KeywordRecords& records, QObject* parent = nullptr);

    // The rows become the keywords of the list (its lines, as the list box holds them) that have a record.
    void setList(QStringView listText);
    // Keywords just put in the list: those new to it are added, the counts of the others shown again.
    void addKeywords(const QStringList& keywords);
    void setFilter(const Filter& filter);
    const Filter& filter() const { return m_filter; }
    // Column -1: the order the records were made in.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Keywords of the list that have a record, shown or not.
    qsizetype listedCount() const { return m_listed; }

    QString keywordAt(int row) const;
    // The seeds the row's keyword came from and the keyword, "种子 → 词 → 词".
    QString pathAt(int row) const;
    // The rows' cells as a spreadsheet takes them: a line a row, tabs between the cells.
    QString rowsText(const QList<int>& rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool passes(quint32 record) const;
    // Whether record a comes before record b in the order shown.
    bool before(quint32 a, quint32 b) const;
    // The rows of the list that pass the filter, in the order shown.
    std::vector<quint32> orderedRows() const;
    void insertRow(quint32 record);
    QString text(quint32 record, int column) const;

    const KeywordRecords& m_records;
    std::vector<bool> m_inList;  // by record number, from 1
    std::vector<quint32> m_rows; // the record numbers shown, in their order
    qsizetype m_listed = 0;
    Filter m_filter;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
