#include "keywords/KeywordFilter.h"

#include "base/AppPaths.h"

#include <QFile>
#include <QSettings>

KeywordFilter::KeywordFilter(const QStringList& excluded)
{
    for (const QString& word : excluded) {
        if (!word.isEmpty())
            m_excluded.append(word);
    }
}

KeywordFilter KeywordFilter::load()
{
    const QString path = AppPaths::filePath(QStringLiteral("keywords.ini"));
    if (!QFile::exists(path))
        return {};
    QSettings ini(path, QSettings::IniFormat);
    // QSettings reads a value with commas as a list; the words are separated by "|" only.
    const QVariant value = ini.value(QStringLiteral("filter/exclude"));
    const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
    return KeywordFilter(text.split(u'|'));
}

bool KeywordFilter::allows(const QString& keyword) const
{
    for (const QString& word : m_excluded) {
        if (keyword.contains(word))
            return false;
    }
    return true;
}
