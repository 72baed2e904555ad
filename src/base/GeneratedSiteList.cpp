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
    const qint64 total = qint64(domains.size()) * std::max(count, 1);
    const QString label = identifier.toHtmlEscaped();
    QString html;
    qint64 listed = 0;
    for (const QString& domain : domains) {
        const QString suffix = u"." + domain.toHtmlEscaped() + u"</br>";
        for (int j = 0; j < std::max(count, 1); ++j) {
            if (listed == kMaxListedAddresses || html.size() >= kMaxListChars) {
                return html +
                       QStringLiteral("<p>列表太长，这里只列出前 %1 个地址；共 %2 个。</p>").arg(listed).arg(total);
            }
            html += u"http://" + label + (j == 0 ? QString() : QString::number(j)) + suffix;
            ++listed;
        }
    }
    return html;
}
