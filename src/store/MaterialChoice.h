#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// The single row of table suiji: which title, body and industry material the generated sites use.
// Values are kept as read, so one outside the options is written back unchanged.
struct MaterialChoice
{
    QVariant title = 0;
    QVariant body = 0;
    qint16 hang = 0;

    // Reads the first row; false (and the defaults) when there is none or it cannot be read.
    static bool read(const QSqlDatabase& db, MaterialChoice* choice);
    // Writes the first row, inserting it when the table has none. Returns the error, empty on success.
    QString write(const QSqlDatabase& db) const;
};
