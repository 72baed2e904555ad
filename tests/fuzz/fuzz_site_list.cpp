// The generated-site page: nothing from the identifier, the count or the domains survives unescaped,
// and the list stays within its bounds.
#include "FuzzInput.h"
#include "base/GeneratedSiteList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QList<QByteArray> parts = FuzzInput::parts(data, size, 3);
    const QString identifier = QString::fromUtf8(parts.takeFirst());
    const QString count = QString::fromUtf8(parts.takeFirst());
    QStringList domains;
    for (const QByteArray& domain : parts)
        domains.append(QString::fromUtf8(domain));

    QString html = buildListHtml(identifier, count, domains);
    FuzzInput::require(html.count(u"</br>") <= kMaxListedAddresses);
    FuzzInput::require(html.size() <= kMaxListChars + 6 * (identifier.size() + 16) + 6 * 4096 + 200);
    html.remove(QStringLiteral("</br>")).remove(QStringLiteral("<p>")).remove(QStringLiteral("</p>"));
    FuzzInput::require(!html.contains(u'<') && !html.contains(u'>') && !html.contains(u'"'));
    for (qsizetype at = html.indexOf(u'&'); at >= 0; at = html.indexOf(u'&', at + 1)) {
        const QStringView rest = QStringView(html).mid(at);
        FuzzInput::require(rest.startsWith(u"&lt;") || rest.startsWith(u"&gt;") || rest.startsWith(u"&amp;") ||
                           rest.startsWith(u"&quot;"));
    }
    return 0;
}
