#include "keywords/KeywordRecordsModel.h"

#include "keywords/KeywordRecords.h"
#include "keywords/KeywordSource.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <limits>

namespace {

// Above so many rows coming or going at once, the view is told to start over rather than row by row.
constexpr qsizetype kRowsOneByOne = 1000;

bool isNumeric(int column)
{
    return column != KeywordRecordsModel::Keyword && column != KeywordRecordsModel::Source &&
           column != KeywordRecordsModel::Seed && column != KeywordRecordsModel::Expansion;
}

} // namespace

KeywordRecordsModel::KeywordRecordsModel(const KeywordRecords& records, QObject* parent)
    : QAbstractTableModel(parent), m_records(records)
{
}

int KeywordRecordsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int KeywordRecordsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KeywordRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList names{QStringLiteral("关键词"), QStringLiteral("次数"), QStringLiteral("结果数"),
                                   QStringLiteral("来源"),   QStringLiteral("种子"), QStringLiteral("扩展"),
                                   QStringLiteral("轮"),     QStringLiteral("时间")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return names.value(section);
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == Results)
        return QStringLiteral("各搜索引擎说它有多少条结果，取最少的；没问过电脑版结果页的词没有");
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString KeywordRecordsModel::text(quint32 record, int column) const
{
    switch (column) {
    case Keyword:
        return m_records.keywordAt(record);
    case Count:
        return QString::number(m_records.countAt(record));
    case Results: {
        const std::optional<qint64> results = m_records.lowestResults(m_records.keywordAt(record));
        return results ? QString::number(*results) : QString();
    }
    case Source:
        return m_records.sourceOf(record);
    case Seed:
        return m_records.seedOf(record).toString();
    case Expansion:
        return m_records.expansionOf(record);
    case Pass:
        return QString::number(m_records.passAt(record));
    case Found:
        return m_records.foundAt(record) == 0 ? QString()
                                              : QDateTime::fromSecsSinceEpoch(m_records.foundAt(record))
                                                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return {};
}

QVariant KeywordRecordsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    const quint32 record = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == Results) {
            const std::optional<qint64> results = m_records.lowestResults(m_records.keywordAt(record));
            return results ? QLocale(QLocale::Chinese, QLocale::China).toString(*results) : QString();
        }
        return text(record, index.column());
    case Qt::ToolTipRole:
        if (index.column() == Keyword)
            return pathAt(index.row());
        if (index.column() == Results) {
            const QString keyword = m_records.keywordAt(record);
            QStringList each;
            for (int engine = 0; engine < KeywordRecords::kResultEngines; ++engine) {
                if (const std::optional<qint64> results = m_records.results(engine, keyword))
                    each.append(KeywordSource::resultEngines()[engine] + u"：" + QString::number(*results));
            }
            return each.join(u'\n');
        }
        return {};
    case Qt::TextAlignmentRole:
        return isNumeric(index.column()) && index.column() != Found ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                    : QVariant();
    }
    return {};
}

QString KeywordRecordsModel::keywordAt(int row) const
{
    return row >= 0 && size_t(row) < m_rows.size() ? m_records.keywordAt(m_rows[size_t(row)]) : QString();
}

QString KeywordRecordsModel::pathAt(int row) const
{
    const QString keyword = keywordAt(row);
    if (keyword.isEmpty())
        return {};
    return (m_records.path(keyword) << keyword).join(QStringLiteral(" → "));
}

QString KeywordRecordsModel::rowsText(const QList<int>& rows) const
{
    QString out;
    for (const int row : rows) {
        if (row < 0 || size_t(row) >= m_rows.size())
            continue;
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column)
            cells.append(text(m_rows[size_t(row)], column));
        out += cells.join(u'\t') + u'\n';
    }
    return out;
}

bool KeywordRecordsModel::passes(quint32 record) const
{
    return m_records.countAt(record) >= m_filter.minCount &&
           (m_filter.source.isEmpty() || m_records.sourceOf(record) == m_filter.source) &&
           (m_filter.text.isEmpty() || m_records.keywordAt(record).contains(m_filter.text, Qt::CaseInsensitive));
}

namespace {

// A record's place in a column's order: a number, or a text.
qint64 numberKey(const KeywordRecords& records, quint32 record, int column)
{
    switch (column) {
    case KeywordRecordsModel::Count:
        return records.countAt(record);
    case KeywordRecordsModel::Results:
        // Words without a figure after every figure.
        return records.lowestResults(records.keywordAt(record)).value_or(std::numeric_limits<qint64>::max());
    case KeywordRecordsModel::Pass:
        return records.passAt(record);
    case KeywordRecordsModel::Found:
        return records.foundAt(record);
    }
    return record;
}

} // namespace

bool KeywordRecordsModel::before(quint32 a, quint32 b) const
{
    const bool descending = m_sortOrder == Qt::DescendingOrder && m_sortColumn >= 0;
    int order = 0;
    if (isNumeric(m_sortColumn)) {
        const qint64 keyA = numberKey(m_records, a, m_sortColumn);
        const qint64 keyB = numberKey(m_records, b, m_sortColumn);
        order = keyA < keyB ? -1 : keyA > keyB ? 1 : 0;
    } else {
        order = text(a, m_sortColumn).compare(text(b, m_sortColumn));
    }
    if (order != 0)
        return descending ? order > 0 : order < 0;
    return a < b; // as they were made
}

std::vector<quint32> KeywordRecordsModel::orderedRows() const
{
    std::vector<quint32> rows;
    for (quint32 record = 1; record < m_inList.size(); ++record) {
        if (m_inList[record] && passes(record))
            rows.push_back(record);
    }
    if (m_sortColumn < 0)
        return rows;
    // Each row's key is worked out once, not at every comparison.
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    if (isNumeric(m_sortColumn)) {
        std::vector<std::pair<qint64, quint32>> keyed; // key, record
        keyed.reserve(rows.size());
        for (const quint32 record : rows)
            keyed.emplace_back(numberKey(m_records, record, m_sortColumn), record);
        std::sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
            if (a.first != b.first)
                return descending ? b.first < a.first : a.first < b.first;
            return a.second < b.second;
        });
        std::transform(keyed.cbegin(), keyed.cend(), rows.begin(), [](const auto& key) { return key.second; });
    } else {
        // The first four characters of each text side by side with it decide most comparisons without a
        // look at the text itself, which lies elsewhere in memory.
        std::vector<QString> texts;
        texts.reserve(rows.size());
        std::vector<std::pair<quint64, quint32>> keyed; // first characters, place in texts
        keyed.reserve(rows.size());
        for (const quint32 record : rows) {
            texts.push_back(text(record, m_sortColumn));
            quint64 start = 0;
            for (qsizetype i = 0; i < 4; ++i)
                start = start << 16 | (i < texts.back().size() ? texts.back()[i].unicode() : 0);
            keyed.emplace_back(start, quint32(texts.size() - 1));
        }
        std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            int order = a.first < b.first ? -1 : a.first > b.first ? 1 : texts[a.second].compare(texts[b.second]);
            if (order == 0)
                return rows[a.second] < rows[b.second];
            return descending ? order > 0 : order < 0;
        });
        std::vector<quint32> sorted;
        sorted.reserve(rows.size());
        for (const auto& [start, place] : keyed)
            sorted.push_back(rows[place]);
        return sorted;
    }
    return rows;
}

void KeywordRecordsModel::insertRow(quint32 record)
{
    const auto at =
        std::upper_bound(m_rows.begin(), m_rows.end(), record, [this](quint32 a, quint32 b) { return before(a, b); });
    const int row = int(at - m_rows.begin());
    beginInsertRows({}, row, row);
    m_rows.insert(at, record);
    endInsertRows();
}

void KeywordRecordsModel::setList(QStringView listText)
{
    std::vector<bool> inList(size_t(m_records.size()) + 1);
    qsizetype listed = 0;
    for (QStringView line : listText.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const quint32 record = m_records.indexOf(line);
        if (record && !inList[record]) {
            inList[record] = true;
            ++listed;
        }
    }
    std::vector<quint32> gone; // places in m_rows, first to last
    std::vector<quint32> come;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (!inList[m_rows[row]])
            gone.push_back(quint32(row));
    }
    for (quint32 record = 1; record < inList.size(); ++record) {
        if (inList[record] && (record >= m_inList.size() || !m_inList[record]) && passes(record))
            come.push_back(record);
    }
    m_inList = std::move(inList);
    m_listed = listed;
    if (qsizetype(gone.size()) > kRowsOneByOne || qsizetype(come.size()) > kRowsOneByOne) {
        beginResetModel();
        m_rows = orderedRows();
        endResetModel();
        return;
    }
    // Runs of rows that go, from the last, so that the places of the others hold.
    for (size_t end = gone.size(); end > 0;) {
        size_t start = end - 1;
        while (start > 0 && gone[start - 1] + 1 == gone[start])
            --start;
        beginRemoveRows({}, int(gone[start]), int(gone[end - 1]));
        m_rows.erase(m_rows.begin() + gone[start], m_rows.begin() + gone[end - 1] + 1);
        endRemoveRows();
        end = start;
    }
    for (const quint32 record : come)
        insertRow(record);
}

void KeywordRecordsModel::addKeywords(const QStringList& keywords)
{
    m_inList.resize(std::max(m_inList.size(), size_t(m_records.size()) + 1));
    bool countedAgain = false;
    for (const QString& keyword : keywords) {
        const quint32 record = m_records.indexOf(keyword);
        if (!record)
            continue;
        if (m_inList[record]) {
            countedAgain = true;
            continue;
        }
        m_inList[record] = true;
        ++m_listed;
        if (passes(record))
            insertRow(record);
    }
    if (countedAgain && !m_rows.empty())
        emit dataChanged(index(0, Count), index(rowCount() - 1, Count));
}

void KeywordRecordsModel::setFilter(const Filter& filter)
{
    beginResetModel();
    m_filter = filter;
    m_rows = orderedRows();
    endResetModel();
}

void KeywordRecordsModel::sort(int column, Qt::SortOrder order)
{
    if (column >= ColumnCount)
        return;
    // The rows keep their selection through a change of layout, as with any sorted model.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<quint32> records;
    records.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        records.push_back(m_rows[size_t(index.row())]);
    m_sortColumn = column;
    m_sortOrder = order;
    m_rows = orderedRows();
    if (!before.isEmpty()) {
        std::vector<int> rowOf(m_inList.size(), -1);
        for (size_t row = 0; row < m_rows.size(); ++row)
            rowOf[m_rows[row]] = int(row);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            after.append(index(rowOf[records[size_t(i)]], before[i].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
