#pragma once

#include <QString>
#include <QStringList>

// The addresses of the sites the service generates for one identifier, as HTML lines for the list
// page: for each domain in order, "http://" + identifier + "." + domain, then the identifier with
// 1 .. count - 1 glued on. Identifier and domains are escaped, so nothing typed into the tables can
// run as markup in the page.
QString buildListHtml(const QString& identifier, const QString& countText, const QStringList& domains);

// The count as the list reads it: the nearest whole number (halves to even), 0 when the text is no
// number or outside the 16-bit range.
int listCount(const QString& countText);
