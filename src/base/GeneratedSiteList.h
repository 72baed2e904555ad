#pragma once

#include <QString>
#include <QStringList>

inline constexpr qint64 kMaxListedAddresses = 100000;
inline constexpr qsizetype kMaxListChars = 4 * 1024 * 1024;

// The addresses of the sites the service generates for one identifier, as HTML lines for the list
// page: for each domain in order, "http://" + identifier + "." + domain, then the identifier with
// 1 .. count - 1 glued on. Identifier and domains are escaped, so nothing typed into the tables can
// run as markup in the page. A list longer than the page can hold (kMaxListedAddresses addresses or
// about kMaxListChars characters) is cut there, and the page says so and how many addresses there are.
QString buildListHtml(const QString& identifier, const QString& countText, const QStringList& domains);

// The count as the list reads it: the nearest whole number (halves to even), 0 when the text is no
// number or outside the 16-bit range.
int listCount(const QString& countText);
