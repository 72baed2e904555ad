#include "keywords/RecoveryFile.h"

#include "base/AppPaths.h"
#include "keywords/KeywordRules.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace RecoveryFile {

QString path()
{
    return AppPaths::filePath(QStringLiteral("word.recovery.txt"));
}

bool write(const QString& resultText)
{
    QSaveFile file(path());
    const QByteArray bytes = KeywordRules::keywordFileBytes(resultText);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

void remove()
{
    QFile::remove(path());
}

bool isWorthOffering()
{
    const QFileInfo recovery(path());
    if (!recovery.isFile())
        return false;
    const QFileInfo words(AppPaths::filePath(QStringLiteral("word.txt")));
    return !words.exists() || recovery.lastModified() > words.lastModified();
}

} // namespace RecoveryFile
