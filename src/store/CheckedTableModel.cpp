#include "store/CheckedTableModel.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

CheckedTableModel::CheckedTableModel(const QString& table, const QSqlDatabase& db, QObject* parent)
    : QSqlTableModel(parent, db)
{
    setTable(table);
    setEditStrategy(QSqlTableModel::OnRowChange);
    setSort(fieldIndex(QStringLiteral("id")), Qt::AscendingOrder);
    connect(this, &QSqlTableModel::modelReset, this, [this] { m_appendedRow = -1; });
    connect(this, &QSqlTableModel::primeInsert, this, [this](int row, QSqlRecord&) { m_appendedRow = row; });
}

bool CheckedTableModel::hasTypedValues(int row) const
{
    const QSqlRecord values = record(row);
    for (int column = 0; column < values.count(); ++column) {
        const QString name = values.fieldName(column);
        // An editor that was opened and left without typing commits an empty text.
        const bool typed = !values.isNull(column) && !values.value(column).toString().isEmpty();
        if (typed && !m_insertDefaults.contains(name) && name.compare(u"id", Qt::CaseInsensitive) != 0)
            return true;
    }
    return false;
}

void CheckedTableModel::dropUntouchedNewRow()
{
    if (m_appendedRow < 0 || m_appendedRow >= rowCount() || hasTypedValues(m_appendedRow))
        return;
    // While the row goes, views move their current row and submit: it still counts as untouched then.
    revertRow(m_appendedRow);
    m_appendedRow = -1;
}

bool CheckedTableModel::submitPending()
{
    dropUntouchedNewRow();
    return !isDirty() || submitAll();
}

QString CheckedTableModel::errorText() const
{
    const QSqlError error = lastError();
    if (error.driverText().isEmpty() && error.nativeErrorCode().isEmpty())
        return error.databaseText(); // one of our own
    // SQLite's primary result codes; the extended ones carry them in the low byte.
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case 5:
    case 6:
        return QStringLiteral("数据库正被别的程序占用，修改没有写入。请稍后再试。");
    case 8:
        return QStringLiteral("数据库文件是只读的，修改没有写入。");
    case 10:
    case 13:
        return QStringLiteral("写入数据库文件时出错（磁盘已满或无法写入），修改没有写入。");
    case 19:
        return QStringLiteral("输入的值不合这张表的要求（例如数量只能填数字），修改没有写入。");
    default:
        return u"数据库操作没有成功，修改没有写入。（" + error.text() + u"）";
    }
}

bool CheckedTableModel::insertRowIntoTable(const QSqlRecord& values)
{
    QSqlRecord row = values;
    for (auto it = m_insertDefaults.cbegin(); it != m_insertDefaults.cend(); ++it) {
        const int column = row.indexOf(it.key());
        if (column >= 0 && !row.isGenerated(column)) {
            row.setValue(column, it.value());
            row.setGenerated(column, true);
        }
    }
    return QSqlTableModel::insertRowIntoTable(row);
}

bool CheckedTableModel::selectAll()
{
    if (!select())
        return false;
    while (canFetchMore())
        fetchMore();
    return true;
}

int CheckedTableModel::appendRow()
{
    if (!submitPending())
        return -1;
    while (canFetchMore())
        fetchMore();
    const int row = rowCount();
    return insertRow(row) ? row : -1;
}

int CheckedTableModel::deleteRow(int row)
{
    if (row < 0) {
        setLastError(QSqlError(QStringLiteral("没有选中的记录。"), {}, QSqlError::StatementError));
        return -2;
    }
    // The caller reports a failed delete; the submit inside removeRow must not report it again.
    m_reportFailures = false;
    const bool removed = removeRow(row);
    m_reportFailures = true;
    if (!removed) {
        const QSqlError error = lastError();
        revertAll();
        setLastError(error);
        return -2;
    }
    selectAll();
    // The next record takes the deleted one's place; after the last one the new last is current.
    return std::min(row, rowCount() - 1);
}

bool CheckedTableModel::submit()
{
    // A row just appended that nothing has been typed into yet stays as it is, like a new line in a
    // grid that the user has not filled in.
    if (m_appendedRow >= 0 && m_appendedRow < rowCount() && !hasTypedValues(m_appendedRow))
        return true;
    if (QSqlTableModel::submit())
        return true;
    if (m_reportFailures)
        emit submitFailed(errorText());
    return false;
}

bool CheckedTableModel::updateRowInTable(int row, const QSqlRecord& values)
{
    const QSqlIndex key = primaryKey();
    if (key.isEmpty())
        return QSqlTableModel::updateRowInTable(row, values);

    // The statement the base class would run, except that an update reaching no row is an error.
    QSqlRecord changed = values;
    for (int i = changed.count() - 1; i >= 0; --i) {
        if (!changed.isGenerated(i))
            changed.remove(i);
    }
    if (changed.isEmpty())
        return true;
    QSqlRecord keyValues;
    const QSqlRecord current = record(row); // the key column is never edited
    for (int i = 0; i < key.count(); ++i) {
        QSqlField field = key.field(i);
        field.setValue(current.value(field.name()));
        keyValues.append(field);
    }
    QSqlDriver* driver = database().driver();
    const QString statement = driver->sqlStatement(QSqlDriver::UpdateStatement, tableName(), changed, true) + u' ' +
                              driver->sqlStatement(QSqlDriver::WhereStatement, tableName(), keyValues, true);
    QSqlQuery query(database());
    bool ok = query.prepare(statement);
    for (int i = 0; ok && i < changed.count(); ++i)
        query.addBindValue(changed.value(i));
    for (int i = 0; ok && i < keyValues.count(); ++i)
        query.addBindValue(keyValues.value(i));
    if (!ok || !query.exec()) {
        setLastError(query.lastError());
        return false;
    }
    if (query.numRowsAffected() == 0) {
        setLastError(
            QSqlError(QStringLiteral("这条记录已在别处被删除，修改没有保存。"), {}, QSqlError::StatementError));
        return false;
    }
    return true;
}
