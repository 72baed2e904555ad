#include "base/SiteNames.h"

#include <QRegularExpression>
#include <QUrl>
#include <libpsl.h>

namespace SiteNames {

namespace {

const psl_ctx_t* suffixes()
{
    // The newer of the list built into libpsl and the one the publicsuffix package installs; read once.
    static const psl_ctx_t* const list = psl_latest(nullptr);
    return list;
}

bool isPublicSuffix(const QByteArray& ace)
{
    return suffixes() && psl_is_public_suffix2(suffixes(), ace.constData(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE);
}

// The host a line names: what a browser's address bar would go to, before any check.
QString hostOf(QString text)
{
    text = text.trimmed();
    if (const qsizetype scheme = text.indexOf(QStringLiteral("://")); scheme >= 0)
        text = text.sliced(scheme + 3);
    static const QRegularExpression pathStart(QStringLiteral("[/?#\\\\]"));
    const qsizetype end = text.indexOf(pathStart);
    if (end >= 0)
        text.truncate(end);
    if (const qsizetype at = text.lastIndexOf(u'@'); at >= 0)
        text = text.sliced(at + 1);
    static const QRegularExpression port(QStringLiteral(":\\d*$"));
    if (!text.startsWith(u'[') && text.count(u':') == 1)
        text.remove(port);
    while (text.endsWith(u'.') || text.endsWith(u'。'))
        text.chop(1);
    return text;
}

bool isLabel(QStringView label)
{
    static const QRegularExpression valid(QStringLiteral("^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$"));
    return valid.match(label).hasMatch();
}

Checked refused(const QString& reason)
{
    return {Checked::Verdict::Refused, {}, reason};
}

} // namespace

Checked domain(const QString& text)
{
    const QString written = text.trimmed();
    const QString host = hostOf(written);
    if (host.isEmpty())
        return refused(QStringLiteral("没有域名"));
    // IPv6 has colons; an IPv4 address is labels of digits alone (no suffix is).
    static const QRegularExpression ipv4(QStringLiteral("^[0-9]+(\\.[0-9]+){0,3}$"));
    if (host.contains(u':') || host.startsWith(u'[') || ipv4.match(host).hasMatch())
        return refused(QStringLiteral("是 IP 地址，不是域名"));
    // The lengths are those of the ASCII form; a name too long has none, and is measured as written.
    const QByteArray ace = QUrl::toAce(host).toLower();
    const QStringList labels = ace.isEmpty() ? host.split(u'.') : QString::fromLatin1(ace).split(u'.');
    if (labels.join(u'.').size() > 253)
        return refused(QStringLiteral("域名超过 253 个字符"));
    for (const QString& label : labels) {
        if (label.size() > 63)
            return refused(QStringLiteral("域名的一段超过 63 个字符"));
        if (ace.isEmpty() || !isLabel(label))
            return refused(QStringLiteral("含有域名里不能有的字符"));
    }
    if (!isPublicSuffix(labels.last().toLatin1()))
        return refused(QStringLiteral("不在任何已知的顶级域名下"));
    if (isPublicSuffix(ace))
        return refused(QStringLiteral("是公共后缀（如 com.cn），不是可注册的一级域名"));
    const char* registrable = psl_registrable_domain(suffixes(), ace.constData());
    if (!registrable)
        return refused(QStringLiteral("不在任何已知的顶级域名下"));
    // An internationalized name stays as the user wrote it: in its own script, or in its ASCII form.
    const QByteArray registrableAce(registrable);
    bool ascii = true;
    for (QChar c : written)
        ascii = ascii && c.unicode() < 0x80;
    const QString value = ascii ? QString::fromLatin1(registrableAce) : QUrl::fromAce(registrableAce);
    return {value == written ? Checked::Verdict::Kept : Checked::Verdict::Changed, value, {}};
}

Checked identifier(const QString& text)
{
    const QString written = text.trimmed();
    if (written.isEmpty())
        return refused(QStringLiteral("没有标识"));
    if (written.size() > 63)
        return refused(QStringLiteral("标识超过 63 个字符"));
    const QString lower = written.toLower();
    if (!isLabel(lower))
        return refused(QStringLiteral("标识只能有字母、数字和中间的连字符（-）"));
    return {lower == written ? Checked::Verdict::Kept : Checked::Verdict::Changed, lower, {}};
}

std::optional<int> siteCount(const QString& text)
{
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    if (!ok || count < 1 || count > kMaxSiteCount)
        return std::nullopt;
    return count;
}

QString registrableDomain(const QString& host)
{
    const QString name = host.toLower();
    const QByteArray ace = QUrl::toAce(name);
    const char* registrable =
        ace.isEmpty() || !suffixes() ? nullptr : psl_registrable_domain(suffixes(), ace.constData());
    return registrable ? QString::fromLatin1(registrable) : name;
}

} // namespace SiteNames
