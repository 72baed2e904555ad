#include "base/PrivateFiles.h"

#include <QFile>
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

} // namespace PrivateFiles
