#pragma once

#include <QByteArray>
#include <QString>

// The user's own files: written whole and atomically, a new one readable by the user alone. An existing
// file keeps its mode: that is the user's choice.
namespace PrivateFiles {

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
// Makes the folder and any missing folders above it, each new one open to the user alone; folders that
// exist keep their modes.
bool makeFolder(const QString& path);
// Creates an empty file, readable by the user alone, unless it exists.
bool createEmpty(const QString& path);

} // namespace PrivateFiles
