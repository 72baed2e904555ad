#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// The seeds of one pass of the long-tail search: the table's keywords, or the distinct lines of the
// result list, held as places in one text so that a pass over a million lines copies nothing.
class SeedList
{
public:
    void setList(QStringList seeds);
    void setPass(QString resultText);
    // Leaves out the seeds for which skip is true.
    template <typename Predicate> void removeIf(Predicate skip)
    {
        std::erase_if(m_lines, [&](Line line) { return skip(view(line)); });
    }

    qsizetype size() const { return qsizetype(m_lines.size()); }
    QStringView at(qsizetype index) const { return view(m_lines[size_t(index)]); }

private:
    // Where a seed stands in the text: half the size of a view.
    struct Line
    {
        quint32 start;
        quint32 length;
    };
    QStringView view(Line line) const { return QStringView(m_text).sliced(line.start, line.length); }

    QString m_text; // the seeds, or the list the pass was taken from
    std::vector<Line> m_lines;
};
