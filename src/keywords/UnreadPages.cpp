#include "keywords/UnreadPages.h"

#include "base/PrivateFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

namespace UnreadPages {

QString keep(const QString& folder, const QString& source, const QDateTime& when, const QByteArray& page)
{
    if (folder.isEmpty() || !PrivateFiles::makeFolder(folder))
        return {};
    QDir dir(folder);
    const QString path = dir.filePath(source + u'-' + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + u".html");
    if (!PrivateFiles::writeAtomically(path, page))
        return {};
    // The oldest by the time in their names, whichever source they are of; other files are left alone.
    static const QRegularExpression kept(QStringLiteral("-(\\d{8}-\\d{6})\\.html$"));
    QStringList names;
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (kept.match(name).hasMatch())
            names.append(name);
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return kept.match(a).captured(1) < kept.match(b).captured(1); });
    for (qsizetype i = 0; i + kKept < names.size(); ++i)
        dir.remove(names[i]);
    return path;
}

} // namespace UnreadPages
