#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Lines of material pasted or imported in bulk, a domain or an identifier a line (a list, or spreadsheet
// rows separated by tabs or commas: for identifiers the identifier and its number of sites, 1 when
// missing), each checked before anything is written: what will be added, what is changed and into
// what, and what is refused with its line number and reason.
namespace MaterialLines {

enum class Kind
{
    Domains,
    Identifiers,
};

struct Row
{
    int line = 0;    // from 1
    QString written; // the line's first cell, as written
    QString value;   // what is stored
    int count = 1;   // identifiers: the number of sites
    bool changed = false;
    QString reason; // refused: why
};

struct Plan
{
    QList<Row> accepted; // in the order of the lines
    QList<Row> refused;
    qsizetype changedCount() const;
};

// Repeats, in the lines or against existing (letter case aside, after the change), are refused as
// "已存在". Blank lines are passed over.
Plan plan(Kind kind, QStringView text, const QStringList& existing);
// Whether a text holds more than one line with something in it.
bool isMultiLine(QStringView text);

// A table's rows written out: CSV (UTF-8 with a byte-order mark, a header, cells that a spreadsheet would
// read as a formula led by ') or text (UTF-8, a row a line, the number after a tab), CR LF line ends.
// rows holds the values, and for identifiers the number after a tab.
QByteArray exportBytes(Kind kind, const QStringList& rows, bool csv);

} // namespace MaterialLines
