#pragma once

#include <QSqlDatabase>
#include <QStringList>

// Reads and writes of the local store that the windows make outside their grids.
namespace StoreQueries {

// The keywords of table Word in id order, each trimmed of spaces; a Null one is an empty text.
QStringList keywordSeeds(const QSqlDatabase& db);
// Marks the identifier with this id as requested (State 1). False when there is no such row or the
// store cannot be written.
bool markIdentifierGenerated(const QSqlDatabase& db, qint64 id);

} // namespace StoreQueries
