#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>
#include <optional>

// The blocks of a result page that hold related searches, and the searches they link to. Every engine's
// parser is a list of signs and query keys handed to these; the page is scanned tag by tag once from left
// to right, so that no page, however its tags are left open, costs more than a few passes over it.
namespace PageBlocks {

// A tag of a page: where it starts ("<") and ends (after ">"), its name, and whether it closes ("</name").
struct Tag
{
    qsizetype start = -1;
    qsizetype end = -1;
    QStringView name; // as the page writes it
    bool closing = false;

    bool found() const { return start >= 0; }
    QStringView in(QStringView page) const { return page.sliced(start, end - start); }
    bool is(QStringView other) const { return name.compare(other, Qt::CaseInsensitive) == 0; }
};

// The next tag at or after from, of any name; none when no tag ends. Comments are passed over, and so is
// what scripts and style sheets hold: their text is no mark-up, whatever it looks like.
Tag nextTag(QStringView page, qsizetype from);
// The value of an attribute of a tag, entities decoded; empty when the tag has none.
QString attribute(QStringView tag, QStringView name);

// What marks an element as a block: its own id, one of its classes, or its template (tpl).
struct Signs
{
    QStringList ids;
    QStringList classes;
    QStringList templates;

    bool match(QStringView tag) const;
};

// The outermost elements whose own start tag carries one of the signs, whatever the element (div,
// table, section, ul), each through its matching end tag, or to the end of the page when it never
// closes; a block inside one already taken is part of it. In page order.
QList<QStringView> blocks(QStringView page, const Signs& signs);
// The element that starts with the tag opening at start; with a longest length, nothing when it does not
// close within it.
QStringView element(QStringView page, qsizetype start, qsizetype longest = -1);

// The texts of the links of blocks that ask the engine for another search: their address, resolved
// against the page's own (links are often relative, "?query=" or "s?q="), carries one of the query keys,
// not empty, and passes accepts. Each text once, in page order.
using LinkFilter = bool (*)(const QUrl& search, const QString& query, const QString& seed);
QStringList searchTexts(const QList<QStringView>& blocks, const QUrl& page, const QStringList& keys,
                        LinkFilter accepts = nullptr, const QString& seed = {});

// A number the page states to a reader, the first time it does: between the text before and the text
// after it, "约" and spaces allowed before it, in ASCII or full-width digits with thousands separators.
// Only what a person sees counts: nothing of tags, comments, scripts or style sheets.
std::optional<qint64> statedNumber(QStringView page, QStringView before, QStringView after);

// Mark-up removed, entities decoded, white space trimmed.
QString plainText(QStringView html);
QString decodeEntities(QStringView text);

} // namespace PageBlocks
