#pragma once

#include <QString>

// Where the program's files are. The program folder holds the user's files (data/db.sqlite, server.txt,
// word.txt, keywords.ini); the shipped read-only files (Manual.txt, liebiao.html) are looked up there
// first, then in the installation.
namespace AppPaths {

QString programFolder();
void setProgramFolder(const QString& folder);
QString filePath(const QString& name);

// The program folder of one start: the folder given with --dir; else the executable's folder when it
// is a portable folder (it holds data/ or server.txt); else the per-user data folder.
QString chooseProgramFolder(const QString& dirOption, const QString& executableFolder, const QString& userFolder);
// $XDG_DATA_HOME/quillon, by default ~/.local/share/quillon.
QString userDataFolder();

// The installation's data folder (<prefix>/share/quillon), found from the executable's folder.
QString installDataFolder(const QString& executableFolder);
// A shipped file: the program folder's copy when it has one (a user may customise it there), else the
// installation's, else the copy built into the program (a ":/" resource path).
QString shippedFile(const QString& name, const QString& programFolder, const QString& installFolder);
// The same for this start.
QString shippedFile(const QString& name);

} // namespace AppPaths
