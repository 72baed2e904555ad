#include "base/AppPaths.h"

#include <QDir>
#include <QStringList>

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

void initFromArguments(const QStringList& arguments, const QString& applicationDir)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--dir"));
    if (at >= 0 && at + 1 < arguments.size())
        setProgramFolder(arguments.at(at + 1));
    else
        setProgramFolder(applicationDir);
}

} // namespace AppPaths
