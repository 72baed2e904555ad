#include "store/LocalStore.h"

#include "base/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QThreadPool>
#include <QUuid>

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

bool createFile(const QString& path)
{
    // The store holds the customer's material: its folder is the user's alone.
    PrivateFiles::makeFolder(QFileInfo(path).absolutePath());
    // Two instances started at once both find no store: one makes it while the other waits, and the
    // other then uses what the first made.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(30000))
        return QFileInfo::exists(path);
    if (QFileInfo::exists(path))
        return true;

    // Built whole beside its place and moved in, so a half-made store is never taken for a real one.
    QTemporaryFile draft(path + QStringLiteral(".new-XXXXXX"));
    if (!draft.open())
        return false;
    draft.close();
    bool built = false;
    const QString name = u"LocalStoreDraft-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(draft.fileName());
        built = db.open() && createSchema(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (built && draft.rename(path))
        draft.setAutoRemove(false);
    return QFileInfo::exists(path);
}

void loadDriverInBackground()
{
    // The driver plugin and SQLite stay loaded once a connection has been made with them; this one is
    // made and dropped on the worker, which is all a connection may be used for there.
    QThreadPool::globalInstance()->start([] {
        const QString name = u"LocalStoreDriver-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        QSqlDatabase::removeDatabase(name);
    });
}

bool open(const QString& programFolder)
{
    const QString path = databasePath(programFolder);
    if (!QFileInfo::exists(path) && !createFile(path))
        return false;

    QSqlDatabase db = QSqlDatabase::contains(connectionName())
                          ? QSqlDatabase::database(connectionName(), false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName());
    db.setDatabaseName(path);
    return db.open();
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
