#pragma once

#include <QString>

// The program folder: where the executable lies, or the folder given with --dir. Every file the
// program keeps (data/db.sqlite, server.txt, word.txt, Manual.txt, liebiao.html) resolves against it.
namespace AppPaths {

QString programFolder();
void setProgramFolder(const QString& folder);
QString filePath(const QString& name);

} // namespace AppPaths
