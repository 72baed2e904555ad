#pragma once

#include <QSqlDatabase>
#include <QString>

// The SQLite file data/db.sqlite under the program folder, opened once as the shared connection.
// A missing file is created with the five tables; an existing one is used as it stands and is never
// rewritten, even when it cannot be opened.
namespace LocalStore {

QString connectionName();
QString databasePath(const QString& programFolder);

// Starts loading the database driver on a worker thread, so that open() later finds it loaded; the
// program calls it early and builds its first window meanwhile.
void loadDriverInBackground();
// Opens (and when missing creates) the store; false when it could not be opened. Never reports.
bool open(const QString& programFolder);
QSqlDatabase connection();
void close();

// Creates the five tables and the single material row in an open, empty database.
bool createSchema(QSqlDatabase& db);
// Makes a new store at path unless one is there: built whole in a file of its own, then moved into
// place. A file made meanwhile by another instance is kept as it is. True when a store is at path
// afterwards.
bool createFile(const QString& path);

} // namespace LocalStore
