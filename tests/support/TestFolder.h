#pragma once

#include "base/AppPaths.h"
#include "store/LocalStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

// A program folder of its own for one test: files beside the "executable" and the shared store.
class TestFolder
{
public:
    TestFolder() { AppPaths::setProgramFolder(m_dir.path()); }
    ~TestFolder() { LocalStore::close(); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // Writes a file, making the folders it lies in.
    void write(const QString& name, const QByteArray& content) const
    {
        QDir().mkpath(QFileInfo(filePath(name)).absolutePath());
        QFile file(filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(content);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }
    bool exists(const QString& name) const { return QFile::exists(filePath(name)); }

    // Opens (creating) the shared store and runs each statement on it.
    bool openStore(const QStringList& statements = {}) const
    {
        if (!LocalStore::open(m_dir.path()))
            return false;
        for (const QString& statement : statements) {
            if (!exec(statement))
                return false;
        }
        return true;
    }
    static bool exec(const QString& sql) { return QSqlQuery(LocalStore::connection()).exec(sql); }
    // The first column of every row of a query on the store, as text; a failed query gives "(failed)".
    static QStringList column(const QString& sql)
    {
        QSqlQuery query(LocalStore::connection());
        if (!query.exec(sql))
            return {u"(failed)"_qs};
        QStringList values;
        while (query.next())
            values.append(query.value(0).toString());
        return values;
    }

private:
    QTemporaryDir m_dir;
};
