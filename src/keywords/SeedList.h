#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// The seeds of one pass of the long-tail search: the table's keywords, or the distinct lines of the
// result list, held as views so that a pass over a million lines copies nothing.
class SeedList
{
public:
    void setList(QStringList seeds);
    void setPass(QString resultText);
    // Leaves out the seeds for which skip is true.
    template <typename Predicate> void removeIf(Predicate skip) { std::erase_if(m_views, skip); }

    qsizetype size() const { return qsizetype(m_views.size()); }
    QStringView at(qsizetype index) const { return m_views[size_t(index)]; }

private:
    QStringList m_list;
    QString m_source;
    std::vector<QStringView> m_views;
};
