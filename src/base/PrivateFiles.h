#pragma once

#include <QByteArray>
#include <QString>

// The user's own files: written whole and atomically, a new one readable by the user alone. An existing
// file keeps its mode: that is the user's choice.
namespace PrivateFiles {

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace PrivateFiles
