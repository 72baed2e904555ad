#include "LocalStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace LocalStore {

QString connectionName()
{
    return QStringLiteral("DbConn");
}

QString databasePath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("data/db.sqlite"));
}

bool createSchema(QSqlDatabase& db)
{
    // number accepts numbers only, so a typo in the editor is refused instead of stored as text.
    static const char* const kStatements[] = {
        "CREATE TABLE url (id INTEGER PRIMARY KEY AUTOINCREMENT, url TEXT)",
        "CREATE TABLE biao (id INTEGER PRIMARY KEY AUTOINCREMENT, biaoshi TEXT,"
        " number INTEGER CHECK (number IS NULL OR typeof(number) IN ('integer', 'real')),"
        " state INTEGER DEFAULT 0)",
        "CREATE TABLE config (id INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, Address TEXT, tel TEXT, qq TEXT,"
        " about TEXT)",
        "CREATE TABLE suiji (id INTEGER PRIMARY KEY AUTOINCREMENT, title INTEGER, body INTEGER, hang INTEGER)",
        "CREATE TABLE Word (id INTEGER PRIMARY KEY AUTOINCREMENT, Word TEXT)",
        "INSERT INTO suiji (title, body, hang) VALUES (0, 0, 0)",
    };
    if (!db.transaction())
        return false;
    QSqlQuery query(db);
    for (const char* statement : kStatements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

bool open(const QString& programFolder)
{
    const QString path = databasePath(programFolder);
    const bool existed = QFileInfo::exists(path);
    if (!existed)
        QDir().mkpath(QFileInfo(path).absolutePath());

    QSqlDatabase db = QSqlDatabase::contains(connectionName())
                          ? QSqlDatabase::database(connectionName(), false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName());
    db.setDatabaseName(path);
    if (!db.open())
        return false;
    if (!existed && !createSchema(db)) {
        // A half-made file would be taken for a real store next time: leave nothing behind.
        db.close();
        QFile::remove(path);
        return false;
    }
    return true;
}

QSqlDatabase connection()
{
    return QSqlDatabase::database(connectionName(), false);
}

void close()
{
    if (!QSqlDatabase::contains(connectionName()))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName(), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName());
}

} // namespace LocalStore
