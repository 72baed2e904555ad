#pragma once

#include <QString>
#include <QStringList>

// Words a found keyword must not contain (keywords.ini, [filter] exclude=, separated by "|").
class KeywordFilter
{
public:
    KeywordFilter() = default;
    explicit KeywordFilter(const QStringList& excluded);

    // From keywords.ini in the program folder; nothing is excluded without it.
    static KeywordFilter load();

    bool allows(const QString& keyword) const;
    const QStringList& excluded() const { return m_excluded; }

private:
    QStringList m_excluded;
};
