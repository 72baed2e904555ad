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

    void write(const QString& name, const QByteArray& content) const
    {
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

    // Opens (creating) the shared store and runs each statement on it.
    bool openStore(const QStringList& statements = {}) const
    {
        if (!LocalStore::open(m_dir.path()))
            return false;
        QSqlQuery query(LocalStore::connection());
        for (const QString& statement : statements) {
            if (!query.exec(statement))
                return false;
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
};
