#include "base/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

QString chooseProgramFolder(const QString& dirOption, const QString& executableFolder, const QString& userFolder)
{
    if (!dirOption.isEmpty())
        return QDir::cleanPath(QDir(dirOption).absolutePath());
    const QDir executable(executableFolder);
    if (QFileInfo(executable.filePath(QStringLiteral("data"))).isDir() ||
        QFileInfo::exists(executable.filePath(QStringLiteral("server.txt"))))
        return QDir::cleanPath(executable.absolutePath());
    return QDir::cleanPath(userFolder);
}

QString userDataFolder()
{
    // GenericDataLocation is $XDG_DATA_HOME, or ~/.local/share without it.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quillon"));
}

QString installDataFolder(const QString& executableFolder)
{
    return QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(QUILLON_DATADIR_FROM_BINDIR)));
}

QString shippedFile(const QString& name, const QString& programFolder, const QString& installFolder)
{
    for (const QString& folder : {programFolder, installFolder}) {
        const QString path = QDir(folder).filePath(name);
        if (!folder.isEmpty() && QFileInfo(path).isFile())
            return path;
    }
    return u":/quillon/" + name;
}

QString shippedFile(const QString& name)
{
    const QString executableFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return shippedFile(name, programFolder(),
                       executableFolder.isEmpty() ? QString() : installDataFolder(executableFolder));
}

} // namespace AppPaths
