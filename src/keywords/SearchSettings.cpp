#include "keywords/SearchSettings.h"

#include "base/PrivateFiles.h"
#include "keywords/KeywordSource.h"

#include <QFile>
#include <QSaveFile>
#include <QSettings>

namespace {

// QSettings reads a value with commas as a list; these values are plain text.
QString text(const QSettings& ini, const QString& key)
{
    const QVariant value = ini.value(key);
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
}

QString baseOf(QString value)
{
    value = value.trimmed();
    while (value.endsWith(u'/'))
        value.chop(1);
    return value;
}

// A value as QSettings reads it back unchanged: one line whatever it holds (a line break pasted into a
// filter would otherwise start lines, even sections, of its own), and a leading @ doubled, which
// QSettings would take for the mark of a typed value.
QString iniValue(const QString& value)
{
    static const QString special = QStringLiteral(";,\"\\=#\r\n");
    bool quote = value != value.trimmed();
    for (QChar c : value)
        quote = quote || special.contains(c);
    QString escaped = value.startsWith(u'@') ? u'@' + value : value;
    if (!quote)
        return escaped;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    escaped.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return u'"' + escaped + u'"';
}

} // namespace

SearchSettings SearchSettings::load(const QString& iniPath)
{
    SearchSettings settings;
    if (!QFile::exists(iniPath))
        return settings;
    QSettings ini(iniPath, QSettings::IniFormat);
    for (const QString& name : text(ini, QStringLiteral("search/sources")).split(u',', Qt::SkipEmptyParts)) {
        const QString source = name.trimmed();
        if (source.isEmpty() || settings.sources.contains(source))
            continue;
        (KeywordSource::find(source) ? settings.sources : settings.unknownSources).append(source);
    }
    bool ok = false;
    const double seconds = text(ini, QStringLiteral("search/after-seed")).trimmed().toDouble(&ok);
    if (ok)
        settings.afterSeed = std::max(minimumAfterSeed(), std::chrono::milliseconds(qint64(seconds * 1000)));
    settings.skipAsked = QVariant(text(ini, QStringLiteral("search/skip-asked")).trimmed()).toBool();
    settings.depth = std::max(0, text(ini, QStringLiteral("search/depth")).trimmed().toInt());
    const int unreadable = text(ini, QStringLiteral("search/unreadable")).trimmed().toInt(&ok);
    if (ok && unreadable >= 0)
        settings.unreadable = unreadable;
    const double timeout = text(ini, QStringLiteral("search/timeout")).trimmed().toDouble(&ok);
    if (ok && timeout > 0)
        settings.fetchTimeout = std::chrono::milliseconds(qint64(std::min(timeout, 3600.0) * 1000));
    QStringList named = text(ini, QStringLiteral("search/expand")).split(u',');
    for (QString& kind : named)
        kind = kind.trimmed();
    for (const QString& kind : expandKinds()) {
        if (named.contains(kind))
            settings.expand.append(kind);
    }
    if (ini.contains(QStringLiteral("expand/words"))) {
        settings.expandWords.clear();
        for (const QString& word : text(ini, QStringLiteral("expand/words")).split(u'|', Qt::SkipEmptyParts)) {
            if (!word.trimmed().isEmpty())
                settings.expandWords.append(word.trimmed());
        }
    }
    settings.exclude = text(ini, QStringLiteral("filter/exclude")).split(u'|', Qt::SkipEmptyParts);
    settings.include = text(ini, QStringLiteral("filter/include")).split(u'|', Qt::SkipEmptyParts);
    // [proxies] has lines of its own, not keys: it is read from the file's text.
    QFile file(iniPath);
    if (file.open(QIODevice::ReadOnly)) {
        QStringList lines;
        bool inProxies = false;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
                inProxies = trimmed.compare(u"[proxies]", Qt::CaseInsensitive) == 0;
            else if (inProxies)
                lines.append(trimmed);
        }
        settings.proxies = parseProxies(lines, &settings.badProxyLines);
        // A password makes the file a secret, the user's alone as every file of ours is, whether or not its
        // line names a proxy that works.
        for (const QString& line : std::as_const(lines)) {
            if (line.contains(u'@'))
                file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
    }
    ini.beginGroup(QStringLiteral("hosts"));
    for (const QString& key : ini.childKeys()) {
        const QString base = baseOf(text(ini, key));
        if (!base.isEmpty())
            settings.hosts.insert(key, base);
    }
    return settings;
}

bool SearchSettings::save(const QString& iniPath, QString* error) const
{
    const double seconds = double(afterSeed.count()) / 1000;
    return updateIniFile(
        iniPath,
        {{QStringLiteral("search/sources"), sources.join(u',')},
         {QStringLiteral("search/after-seed"), QString::number(seconds)},
         {QStringLiteral("search/skip-asked"), skipAsked ? QStringLiteral("true") : QStringLiteral("false")},
         {QStringLiteral("search/depth"), QString::number(depth)},
         {QStringLiteral("search/expand"), expand.join(u',')},
         {QStringLiteral("filter/exclude"), exclude.join(u'|')},
         {QStringLiteral("filter/include"), include.join(u'|')}},
        error);
}

const QStringList& SearchSettings::expandKinds()
{
    static const QStringList kinds{QStringLiteral("az"), QStringLiteral("digits"), QStringLiteral("words")};
    return kinds;
}

QStringList SearchSettings::defaultExpandWords()
{
    return {QStringLiteral("怎么"),   QStringLiteral("哪里"), QStringLiteral("多少钱"), QStringLiteral("价格"),
            QStringLiteral("哪个好"), QStringLiteral("排名"), QStringLiteral("图片"),   QStringLiteral("是什么")};
}

QStringList SearchSettings::expansions() const
{
    QStringList all;
    if (expand.contains(QStringLiteral("az"))) {
        for (char16_t c = u'a'; c <= u'z'; ++c)
            all.append(QString(QChar(c)));
    }
    if (expand.contains(QStringLiteral("digits"))) {
        for (char16_t c = u'0'; c <= u'9'; ++c)
            all.append(QString(QChar(c)));
    }
    if (expand.contains(QStringLiteral("words")))
        all += expandWords;
    return all;
}

QString SearchSettings::expandedQuery(const QString& seed, const QString& expansion)
{
    auto isHan = [](QStringView text, bool last) {
        if (text.isEmpty())
            return true;
        const QList<uint> points = (last ? text.right(2) : text.left(2)).toUcs4();
        return QChar::script(last ? points.last() : points.first()) == QChar::Script_Han;
    };
    return isHan(seed, true) || isHan(expansion, false) ? QString(seed + expansion) : QString(seed + u' ' + expansion);
}

QList<QUrl> SearchSettings::parseProxies(const QStringList& lines, QList<int>* bad)
{
    QList<QUrl> proxies;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const QUrl proxy(line, QUrl::StrictMode);
        const bool known = proxy.scheme() == u"http" || proxy.scheme() == u"socks5";
        if (proxy.isValid() && known && !proxy.host().isEmpty() && proxy.port() > 0 &&
            (proxy.path().isEmpty() || proxy.path() == u"/") && !proxy.hasQuery() && !proxy.hasFragment())
            proxies.append(proxy);
        else if (bad)
            bad->append(int(i + 1));
    }
    return proxies;
}

QString SearchSettings::proxyName(const QUrl& proxy)
{
    return proxy.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::StripTrailingSlash);
}

QString SearchSettings::host(const KeywordSource& source) const
{
    return hosts.value(source.hostKey, source.defaultHost);
}

bool updateIniFile(const QString& path, const QList<std::pair<QString, QString>>& values, QString* error)
{
    QStringList lines;
    QFile in(path);
    if (in.open(QIODevice::ReadOnly))
        lines = QString::fromUtf8(in.readAll()).split(u'\n');
    in.close();
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    for (const auto& [sectionKey, value] : values) {
        const QString section = sectionKey.section(u'/', 0, 0);
        const QString key = sectionKey.section(u'/', 1);
        const QString line = key + u'=' + iniValue(value);
        QString current;
        qsizetype sectionEnd = -1; // the line after the section's last key
        bool done = false;
        for (qsizetype i = 0; i < lines.size() && !done; ++i) {
            const QString trimmed = lines[i].trimmed();
            if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
                current = trimmed.mid(1, trimmed.size() - 2).trimmed();
                if (current.compare(section, Qt::CaseInsensitive) == 0)
                    sectionEnd = i + 1;
                continue;
            }
            if (current.compare(section, Qt::CaseInsensitive) != 0)
                continue;
            if (!trimmed.isEmpty() && !trimmed.startsWith(u';') && !trimmed.startsWith(u'#'))
                sectionEnd = i + 1;
            if (trimmed.section(u'=', 0, 0).trimmed() == key) {
                lines[i] = line;
                done = true;
            }
        }
        if (done)
            continue;
        if (sectionEnd < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QString());
            lines.append(u'[' + section + u']');
            sectionEnd = lines.size();
        }
        lines.insert(sectionEnd, line);
    }
    return PrivateFiles::writeAtomically(path, lines.join(u'\n').toUtf8() + '\n', error);
}
