#include "keywords/sources/PageBlocks.h"

#include <QSet>

namespace PageBlocks {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':';
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Where the tag whose name ends at from ends (after ">"): a ">" inside a quoted attribute value is the
// value's. A quote that never closes is taken as text, as the ">" after it ends the tag.
qsizetype tagEnd(QStringView page, qsizetype from)
{
    for (qsizetype at = from; at < page.size(); ++at) {
        const QChar c = page[at];
        if (c == u'>')
            return at + 1;
        if ((c == u'"' || c == u'\'') && at > from && page[at - 1] == u'=') {
            const qsizetype close = page.indexOf(c, at + 1);
            if (close < 0)
                break;
            at = close;
        }
    }
    const qsizetype plain = page.indexOf(u'>', from);
    return plain < 0 ? -1 : plain + 1;
}

// Calls found(name, value) for each attribute of a tag, both as written, until found returns true.
template <typename Found> void forEachAttribute(QStringView tag, Found found)
{
    qsizetype at = 1;
    while (at < tag.size() && isNameChar(tag[at]))
        ++at;
    while (at < tag.size()) {
        while (at < tag.size() && (isSpace(tag[at]) || tag[at] == u'/'))
            ++at;
        const qsizetype nameStart = at;
        while (at < tag.size() && !isSpace(tag[at]) && tag[at] != u'=' && tag[at] != u'>' && tag[at] != u'/')
            ++at;
        const QStringView name = tag.sliced(nameStart, at - nameStart);
        if (name.isEmpty())
            break;
        while (at < tag.size() && isSpace(tag[at]))
            ++at;
        QStringView value;
        if (at < tag.size() && tag[at] == u'=') {
            ++at;
            while (at < tag.size() && isSpace(tag[at]))
                ++at;
            if (at < tag.size() && (tag[at] == u'"' || tag[at] == u'\'')) {
                const qsizetype close = tag.indexOf(tag[at], at + 1);
                const qsizetype end = close < 0 ? tag.size() : close;
                value = tag.sliced(at + 1, end - at - 1);
                at = end + 1;
            } else {
                const qsizetype start = at;
                while (at < tag.size() && !isSpace(tag[at]) && tag[at] != u'>')
                    ++at;
                value = tag.sliced(start, at - start);
            }
        }
        if (found(name, value))
            return;
    }
}

bool hasToken(QStringView list, const QStringList& tokens)
{
    for (QStringView token : list.split(u' ', Qt::SkipEmptyParts)) {
        if (tokens.contains(token.trimmed()))
            return true;
    }
    return false;
}

QString entity(QStringView name)
{
    if (name.startsWith(u'#')) {
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        bool ok = false;
        const uint code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {};
        const char32_t unit = code;
        return QString::fromUcs4(&unit, 1);
    }
    static const QList<std::pair<QStringView, QStringView>> named{
        {u"amp", u"&"}, {u"lt", u"<"}, {u"gt", u">"}, {u"quot", u"\""}, {u"apos", u"'"}, {u"nbsp", u"\u00a0"},
    };
    for (const auto& [key, text] : named) {
        if (name == key)
            return text.toString();
    }
    return {};
}

// The first of the keys' values in an address's query, decoded; read straight from the text, since a
// page may link to a hundred thousand searches.
QString queryValue(QStringView address, const QStringList& keys)
{
    const qsizetype mark = address.indexOf(u'?');
    if (mark < 0)
        return {};
    QStringView query = address.sliced(mark + 1);
    query = query.left(query.indexOf(u'#'));
    for (const QString& key : keys) {
        for (qsizetype at = 0; at < query.size();) {
            qsizetype end = query.indexOf(u'&', at);
            if (end < 0)
                end = query.size();
            const QStringView item = query.sliced(at, end - at);
            at = end + 1;
            if (!item.startsWith(key) || item.size() <= key.size() + 1 || item[key.size()] != u'=')
                continue;
            const QStringView value = item.sliced(key.size() + 1);
            if (!value.contains(u'%') && !value.contains(u'+')) {
                if (!value.trimmed().isEmpty())
                    return value.trimmed().toString();
                continue;
            }
            QByteArray bytes = value.toUtf8();
            bytes.replace('+', ' ');
            const QString text = QUrl::fromPercentEncoding(bytes).trimmed();
            if (!text.isEmpty())
                return text;
        }
    }
    return {};
}

} // namespace

Tag nextTag(QStringView page, qsizetype from)
{
    for (qsizetype at = page.indexOf(u'<', from); at >= 0; at = page.indexOf(u'<', at + 1)) {
        if (page.sliced(at).startsWith(u"<!--")) {
            const qsizetype close = page.indexOf(u"-->", at + 4);
            if (close < 0)
                return {};
            at = close + 2;
            continue;
        }
        const bool closing = at + 1 < page.size() && page[at + 1] == u'/';
        const qsizetype nameStart = at + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < page.size() && isNameChar(page[nameEnd]))
            ++nameEnd;
        if (nameEnd == nameStart || !page[nameStart].isLetter())
            continue; // "<" as text
        const qsizetype end = tagEnd(page, nameEnd);
        if (end < 0)
            return {}; // no tag after this one ends either
        Tag tag{at, end, page.sliced(nameStart, nameEnd - nameStart), closing};
        if (!closing && (tag.is(u"script") || tag.is(u"style"))) {
            // Their text runs to their end tag, whatever it holds.
            const qsizetype close =
                page.indexOf(tag.is(u"script") ? u"</script" : u"</style", end, Qt::CaseInsensitive);
            tag.end = close < 0 ? page.size() : close;
        }
        return tag;
    }
    return {};
}

QString attribute(QStringView tag, QStringView name)
{
    QString found;
    forEachAttribute(tag, [&](QStringView attributeName, QStringView value) {
        if (attributeName.compare(name, Qt::CaseInsensitive) != 0)
            return false;
        found = decodeEntities(value);
        return true;
    });
    return found;
}

bool Signs::match(QStringView tag) const
{
    bool matched = false;
    forEachAttribute(tag, [&](QStringView name, QStringView value) {
        if (name.compare(u"id", Qt::CaseInsensitive) == 0)
            matched = ids.contains(value.trimmed());
        else if (name.compare(u"class", Qt::CaseInsensitive) == 0)
            matched = hasToken(value, classes);
        else if (name.compare(u"tpl", Qt::CaseInsensitive) == 0)
            matched = templates.contains(value.trimmed());
        return matched;
    });
    return matched;
}

QStringView element(QStringView page, qsizetype start, qsizetype longest)
{
    const Tag open = nextTag(page, start);
    if (!open.found())
        return {};
    int depth = 1;
    for (Tag tag = nextTag(page, open.end); tag.found(); tag = nextTag(page, tag.end)) {
        if (longest >= 0 && tag.end - start > longest)
            return {};
        if (tag.name.compare(open.name, Qt::CaseInsensitive) != 0)
            continue;
        depth += tag.closing ? -1 : (page[tag.end - 2] == u'/' ? 0 : 1);
        if (depth == 0)
            return page.sliced(start, tag.end - start);
    }
    return longest >= 0 && page.size() - start > longest ? QStringView() : page.sliced(start);
}

QList<QStringView> blocks(QStringView page, const Signs& signs)
{
    QList<QStringView> found;
    for (Tag tag = nextTag(page, 0); tag.found();) {
        if (tag.closing || !signs.match(tag.in(page))) {
            tag = nextTag(page, tag.end);
            continue;
        }
        const QStringView block = element(page, tag.start);
        found.append(block);
        tag = nextTag(page, tag.start + std::max(block.size(), tag.end - tag.start));
    }
    return found;
}

namespace {

// A link of a piece of a page: where it points and where it would go for a script (data-url), entities
// decoded, and its plain text.
struct Link
{
    QString href;
    QString dataUrl;
    QString text;
};

// Calls found for each link of a piece of a page that has text, in page order.
template <typename Found> void forEachLink(QStringView html, Found found)
{
    for (Tag tag = nextTag(html, 0); tag.found();) {
        if (tag.closing || !tag.is(u"a")) {
            tag = nextTag(html, tag.end);
            continue;
        }
        const qsizetype close = html.indexOf(u"</a", tag.end, Qt::CaseInsensitive);
        if (close < 0)
            break; // no link after this one is closed either
        Link link{{}, {}, plainText(html.sliced(tag.end, close - tag.end))};
        if (!link.text.isEmpty()) {
            forEachAttribute(tag.in(html), [&link](QStringView name, QStringView value) {
                if (name.compare(u"href", Qt::CaseInsensitive) == 0 && link.href.isEmpty())
                    link.href = decodeEntities(value);
                else if (name.compare(u"data-url", Qt::CaseInsensitive) == 0 && link.dataUrl.isEmpty())
                    link.dataUrl = decodeEntities(value);
                return false;
            });
            found(link);
        }
        tag = nextTag(html, close);
    }
}

} // namespace

QStringList searchTexts(const QList<QStringView>& blocks, const QUrl& page, const QStringList& keys, LinkFilter accepts,
                        const QString& seed)
{
    QStringList words;
    QSet<QString> taken;
    auto asks = [&](const QString& address) {
        const QString value = queryValue(address, keys);
        return !value.isEmpty() && (!accepts || accepts(page.resolved(QUrl(address.trimmed())), value, seed));
    };
    for (const QStringView block : blocks) {
        forEachLink(block, [&](const Link& link) {
            if (!taken.contains(link.text) && (asks(link.href) || asks(link.dataUrl))) {
                taken.insert(link.text);
                words.append(link.text);
            }
        });
    }
    return words;
}

namespace {

// The text a person sees of a page, tags left out and nothing put in their place: a number may be
// written across them ("约<b>27,100</b>个").
QString visibleText(QStringView page)
{
    QString text;
    auto take = [&text](QStringView gap) {
        // Comments were passed over between the tags; what lies between them is no text either.
        for (qsizetype open = gap.indexOf(u"<!--"); open >= 0; open = gap.indexOf(u"<!--")) {
            text += gap.first(open);
            const qsizetype close = gap.indexOf(u"-->", open + 4);
            gap = close < 0 ? QStringView() : gap.sliced(close + 3);
        }
        text += gap;
    };
    qsizetype at = 0;
    for (Tag tag = nextTag(page, 0); tag.found(); tag = nextTag(page, tag.end)) {
        take(page.sliced(at, tag.start - at));
        at = tag.end;
    }
    take(page.sliced(at));
    return decodeEntities(text);
}

int digitOf(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'\uFF10' && c <= u'\uFF19') // full-width
        return c.unicode() - 0xFF10;
    return -1;
}

qsizetype skipSpaces(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at].isSpace()) // no-break and ideographic spaces too
        ++at;
    return at;
}

} // namespace

std::optional<qint64> statedNumber(QStringView page, QStringView before, QStringView after)
{
    if (!page.contains(before))
        return std::nullopt;
    const QString text = visibleText(page);
    for (qsizetype found = text.indexOf(before); found >= 0; found = text.indexOf(before, found + 1)) {
        qsizetype at = skipSpaces(text, found + before.size());
        if (at < text.size() && text[at] == u'约')
            at = skipSpaces(text, at + 1);
        qint64 number = 0;
        int digits = 0;
        for (; at < text.size(); ++at) {
            const int digit = digitOf(text[at]);
            const bool separator = (text[at] == u',' || text[at] == u'，') && digits > 0 && at + 1 < text.size() &&
                                   digitOf(text[at + 1]) >= 0;
            if (digit < 0 && !separator)
                break;
            if (digit >= 0 && ++digits <= 18)
                number = number * 10 + digit;
        }
        if (digits > 0 && digits <= 18 && text.sliced(skipSpaces(text, at)).startsWith(after))
            return number;
    }
    return std::nullopt;
}

QString plainText(QStringView html)
{
    if (!html.contains(u'<') && !html.contains(u'&'))
        return html.trimmed().toString();
    QString text;
    qsizetype at = 0;
    for (qsizetype open = html.indexOf(u'<'); open >= 0; open = html.indexOf(u'<', at)) {
        const qsizetype close = html.indexOf(u'>', open);
        if (close < 0)
            break; // a "<" that no ">" follows is text, and so is the rest
        text += html.sliced(at, open - at);
        at = close + 1;
    }
    text += html.sliced(at);
    return decodeEntities(text).trimmed();
}

QString decodeEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    qsizetype last = 0;
    for (qsizetype amp = text.indexOf(u'&'); amp >= 0; amp = text.indexOf(u'&', amp + 1)) {
        // The longest entity decoded is "&#x10FFFF;".
        const qsizetype semicolon = text.sliced(amp, std::min<qsizetype>(12, text.size() - amp)).indexOf(u';');
        if (semicolon < 2)
            continue;
        const QString replacement = entity(text.sliced(amp + 1, semicolon - 1));
        if (replacement.isEmpty())
            continue;
        out += text.sliced(last, amp - last);
        out += replacement;
        last = amp + semicolon + 1;
        amp = last - 1;
    }
    out += text.sliced(last);
    return out;
}

} // namespace PageBlocks
