#include "base/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace PrivateFiles {

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    const bool isNew = !QFile::exists(path);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        if (isNew)
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (file.write(bytes) == bytes.size() && file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

bool makeFolder(const QString& path)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(absolute).isDir())
        return true;
    // The missing folders, outermost first.
    QStringList missing;
    for (QString folder = absolute; !QFileInfo::exists(folder); folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (QFileInfo(folder).path() == folder)
            break;
    }
    constexpr QFileDevice::Permissions kOwnerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString& folder : std::as_const(missing)) {
        if (!QDir().mkdir(folder, kOwnerOnly) && !QFileInfo(folder).isDir())
            return false;
    }
    return QFileInfo(absolute).isDir();
}

bool createEmpty(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QFileInfo::exists(path);
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace PrivateFiles
