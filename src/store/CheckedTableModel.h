#pragma once

#include <QSqlTableModel>

// A table model for the editing grids that never drops an edit silently: a row written when the grid
// leaves it reports a failure through submitFailed, and an update that reaches no row (deleted or
// changed in another window since it was read) fails instead of passing for saved.
class CheckedTableModel : public QSqlTableModel
{
    Q_OBJECT

public:
    CheckedTableModel(const QString& table, const QSqlDatabase& db, QObject* parent = nullptr);

    bool submit() override;
    // Writes every pending change. A new row that nobody has typed into is dropped quietly first, as a
    // grid drops an untouched new line.
    bool submitPending();
    // What went wrong in the last operation, in words for the user.
    QString errorText() const;
    // Reads the whole table, not just its first screenful, so moves to the last row are exact.
    bool selectAll();
    // Writes the row being typed, then appends a new one; its row, or -1 (see lastError()).
    int appendRow();
    // Deletes a row and reads the table again; the row to make current next (-1 when none is left),
    // or -2 on failure (see lastError()).
    int deleteRow(int row);

    // Values that new rows start with (for example state 0), whatever the table's defaults say.
    void setInsertDefaults(const QVariantMap& defaults) { m_insertDefaults = defaults; }

signals:
    void submitFailed(const QString& description);

protected:
    bool updateRowInTable(int row, const QSqlRecord& values) override;
    bool insertRowIntoTable(const QSqlRecord& values) override;

private:
    bool hasTypedValues(int row) const;
    void dropUntouchedNewRow();

    QVariantMap m_insertDefaults;
    int m_appendedRow = -1;
    bool m_reportFailures = true;
};
