#include "keywords/SeedList.h"

#include "keywords/KeywordRules.h"

void SeedList::setList(QStringList seeds)
{
    m_source.clear();
    m_list = std::move(seeds);
    m_views.clear();
    for (const QString& seed : std::as_const(m_list))
        m_views.emplace_back(seed);
}

void SeedList::setPass(QString resultText)
{
    m_list.clear();
    m_source = std::move(resultText);
    m_views = KeywordRules::DistinctLines(m_source);
}
