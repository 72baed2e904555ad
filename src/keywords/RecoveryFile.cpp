#include "keywords/RecoveryFile.h"

#include "base/AppPaths.h"
#include "base/PrivateFiles.h"
#include "keywords/KeywordRules.h"

#include <QFile>
#include <QFileInfo>

namespace RecoveryFile {

QString fileName()
{
    return QStringLiteral("word.recovery.txt");
}

QString path()
{
    return AppPaths::filePath(fileName());
}

bool write(const QString& resultText)
{
    return PrivateFiles::writeAtomically(path(), KeywordRules::keywordFileBytes(resultText));
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
