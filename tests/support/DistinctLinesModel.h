#pragma once

#include <QSet>
#include <QStringList>

// The duplicate filter in its plainest form, for the tests and the fuzz target to hold the real one
// against: no blank line, no line twice, the first of equal lines kept, the last line first.
inline QStringList distinctLinesModel(const QString& text)
{
    QStringList kept;
    QSet<QString> seen;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line == u" " || line == u"\u3000" || seen.contains(line))
            continue;
        seen.insert(line);
        kept.prepend(line);
    }
    return kept;
}
