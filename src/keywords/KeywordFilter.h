#pragma once

#include <QString>
#include <QStringList>

// Which found keywords go into the list (keywords.ini, [filter]): none that contains a word of exclude=,
// and, when include= names words, only those that contain at least one of them. The include word *seed*
// stands for the seed the keyword was found for.
class KeywordFilter
{
public:
    KeywordFilter() = default;
    explicit KeywordFilter(const QStringList& excluded, const QStringList& included = {});

    static QString seedPlaceholder() { return QStringLiteral("*seed*"); }

    bool allows(const QString& keyword, const QString& seed = {}) const;
    const QStringList& excluded() const { return m_excluded; }
    const QStringList& included() const { return m_included; }

private:
    QStringList m_excluded;
    QStringList m_included;
};
