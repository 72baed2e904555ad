#include "base/GeneratedSiteList.h"

#include "base/TextRules.h"

#include <cmath>
#include <limits>

int listCount(const QString& countText)
{
    bool ok = false;
    const double value = TextRules::trimSpaces(countText).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return 0;
    return int(rounded);
}

QString buildListHtml(const QString& identifier, const QString& countText, const QStringList& domains)
{
    const int count = listCount(countText);
    const QString label = identifier.toHtmlEscaped();
    QString html;
    for (const QString& domain : domains) {
        const QString suffix = u"." + domain.toHtmlEscaped() + u"</br>";
        html += u"http://" + label + suffix;
        for (int j = 1; j <= count - 1; ++j)
            html += u"http://" + label + QString::number(j) + suffix;
    }
    return html;
}
