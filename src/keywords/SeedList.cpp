#include "keywords/SeedList.h"

#include "keywords/KeywordRules.h"

void SeedList::setList(QStringList seeds)
{
    m_text = seeds.join(u'\n');
    m_lines.clear();
    qsizetype start = 0;
    for (const QString& seed : std::as_const(seeds)) {
        m_lines.push_back({quint32(start), quint32(seed.size())});
        start += seed.size() + 1;
    }
}

void SeedList::setPass(QString resultText)
{
    m_text = std::move(resultText);
    m_lines.clear();
    const std::vector<QStringView> lines = KeywordRules::DistinctLines(m_text);
    m_lines.reserve(lines.size());
    for (const QStringView line : lines)
        m_lines.push_back({quint32(line.data() - m_text.constData()), quint32(line.size())});
}
