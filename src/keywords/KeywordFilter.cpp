#include "keywords/KeywordFilter.h"

namespace {

QStringList words(const QStringList& list)
{
    QStringList kept;
    for (const QString& word : list) {
        if (!word.isEmpty())
            kept.append(word);
    }
    return kept;
}

} // namespace

KeywordFilter::KeywordFilter(const QStringList& excluded, const QStringList& included)
    : m_excluded(words(excluded)), m_included(words(included))
{
}

bool KeywordFilter::allows(const QString& keyword, const QString& seed) const
{
    for (const QString& word : m_excluded) {
        if (keyword.contains(word))
            return false;
    }
    if (m_included.isEmpty())
        return true;
    for (const QString& word : m_included) {
        const QString& needed = word == seedPlaceholder() ? seed : word;
        if (!needed.isEmpty() && keyword.contains(needed))
            return true;
    }
    return false;
}
