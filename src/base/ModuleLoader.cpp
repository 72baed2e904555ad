#include "base/ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace ModuleLoader {

QFunctionPointer resolve(const QString& module, const char* entryPoint, QString* error)
{
    const QDir executable(QCoreApplication::applicationDirPath());
    for (const QString& folder :
         {executable.path(), executable.filePath(QStringLiteral(QUILLON_MODULEDIR_FROM_BINDIR))}) {
        QLibrary library(QDir(folder).filePath(module));
        if (const QFunctionPointer function = library.resolve(entryPoint))
            return function;
        // The first error, or the one of a module that is there but does not load.
        if (error && (error->isEmpty() || QFileInfo::exists(library.fileName())))
            *error = library.errorString();
    }
    return nullptr;
}

} // namespace ModuleLoader
