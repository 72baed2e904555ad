#include "base/AppPaths.h"

#include <QDir>

namespace {
QString& folderStorage()
{
    static QString folder;
    return folder;
}
} // namespace

namespace AppPaths {

QString programFolder()
{
    return folderStorage();
}

void setProgramFolder(const QString& folder)
{
    folderStorage() = QDir::cleanPath(QDir(folder).absolutePath());
}

QString filePath(const QString& name)
{
    return QDir(programFolder()).filePath(name);
}

} // namespace AppPaths
