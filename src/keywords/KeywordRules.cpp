#include "keywords/KeywordRules.h"

#include "base/TextCodec.h"
#include "base/TextRules.h"
#include "keywords/WebText.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace KeywordRules {

namespace {

// Qt's string hash runs over several bytes at a time (with AES instructions where the processor has
// them): the lines of a long list are spread over the table at a fraction of a byte-wise hash's cost.
size_t lineHash(QStringView line)
{
    return qHash(line);
}

size_t lineHash(QByteArrayView line)
{
    return qHash(line);
}

bool isBlankLine(QStringView line)
{
    return line.isEmpty() || line == u" " || line == u"\u3000";
}

bool isBlankLine(QByteArrayView line)
{
    return line.isEmpty() || line == " " || line == "\xE3\x80\x80"; // U+3000 in UTF-8
}

// A line end is the same code unit in UTF-16 and in UTF-8.
constexpr char16_t unit(QStringView, char c)
{
    return char16_t(c);
}

constexpr char unit(QByteArrayView, char c)
{
    return c;
}

template <typename View> std::vector<View> distinctLinesOf(View text)
{
    std::vector<View> kept;
    if (text.isEmpty())
        return kept;
    // Counted line end by line end: each search runs over many bytes at a time.
    qsizetype estimate = 1;
    for (qsizetype end = text.indexOf(unit(text, '\n')); end >= 0; end = text.indexOf(unit(text, '\n'), end + 1))
        ++estimate;
    size_t capacity = 16;
    while (capacity < size_t(estimate) * 2)
        capacity <<= 1;
    // Open addressing without a million allocations. A slot holds the line's index into kept (0 = free)
    // in its low half and the high half of its hash in the other: most slots that hold another line are
    // passed over without reading that line.
    std::vector<quint64> table(capacity, 0);
    kept.reserve(size_t(estimate));
    auto keep = [&](View line, quint64 hash) {
        const quint64 tag = hash & 0xFFFFFFFF00000000ull;
        size_t slot = hash & (capacity - 1);
        while (const quint64 entry = table[slot]) {
            if ((entry & 0xFFFFFFFF00000000ull) == tag && kept[quint32(entry) - 1] == line)
                return;
            slot = (slot + 1) & (capacity - 1);
        }
        kept.push_back(line);
        table[slot] = tag | quint32(kept.size());
    };
    // The table is far larger than the caches: lines are hashed a batch ahead and their slots fetched
    // while the batch before is looked up, instead of waiting for memory line by line.
    constexpr int kBatch = 16;
    std::pair<View, quint64> batch[kBatch];
    int batched = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(unit(text, '\n'), start);
        if (end < 0)
            end = text.size();
        View line = text.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith(unit(text, '\r')))
            line.chop(1);
        if (isBlankLine(line))
            continue;
        const quint64 hash = lineHash(line);
        __builtin_prefetch(&table[hash & (capacity - 1)]);
        batch[batched++] = {line, hash};
        if (batched == kBatch) {
            for (const auto& [pending, pendingHash] : batch)
                keep(pending, pendingHash);
            batched = 0;
        }
    }
    for (int i = 0; i < batched; ++i)
        keep(batch[i].first, batch[i].second);
    std::reverse(kept.begin(), kept.end());
    return kept;
}

} // namespace

std::vector<QStringView> DistinctLines(QStringView text)
{
    return distinctLinesOf(text);
}

std::vector<QByteArrayView> DistinctLines(QByteArrayView utf8)
{
    return distinctLinesOf(utf8);
}

QByteArray keywordFileBytes(QStringView boxText)
{
    QString text = TextRules::trimmed(boxText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    text += QStringLiteral("\r\n");
    return TextCodec::toAnsi(text);
}

QStringList SuggestionPieces(const QString& reply)
{
    const qsizetype open = reply.indexOf(u'[');
    const qsizetype firstClose = reply.indexOf(u']');
    const QStringView cut = QStringView(reply).mid(open < 0 ? 0 : open + 1, firstClose < 0 ? 0 : firstClose + 1);
    const qsizetype close = cut.indexOf(u']');
    if (close < 0)
        return {};
    QString list = cut.left(close).toString();
    list.remove(u'"');
    if (list.isEmpty())
        return {};
    return list.split(u',');
}

namespace {

QString decodeEntities(const QString& text)
{
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        QString replacement = match.captured(0);
        if (name.startsWith(u"#x") || name.startsWith(u"#X")) {
            bool ok = false;
            const uint code = name.mid(2).toUInt(&ok, 16);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.mid(1).toUInt(&ok);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else {
            static const QHash<QString, QString> named{
                {QStringLiteral("amp"), QStringLiteral("&")},  {QStringLiteral("lt"), QStringLiteral("<")},
                {QStringLiteral("gt"), QStringLiteral(">")},   {QStringLiteral("quot"), QStringLiteral("\"")},
                {QStringLiteral("apos"), QStringLiteral("'")}, {QStringLiteral("nbsp"), QStringLiteral("\u00a0")},
            };
            replacement = named.value(name, replacement);
        }
        out += QStringView(text).mid(last, match.capturedStart() - last);
        out += replacement;
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

} // namespace

HtmlTag nextTag(QStringView page, std::initializer_list<QStringView> names, qsizetype from)
{
    for (qsizetype at = page.indexOf(u'<', from); at >= 0; at = page.indexOf(u'<', at + 1)) {
        const bool closing = page.sliced(at + 1).startsWith(u'/');
        const QStringView rest = page.sliced(at + (closing ? 2 : 1));
        for (const QStringView name : names) {
            if (!rest.startsWith(name, Qt::CaseInsensitive) ||
                (rest.size() > name.size() && rest[name.size()].isLetterOrNumber()))
                continue;
            const qsizetype end = page.indexOf(u'>', at);
            if (end < 0)
                return {}; // no tag after this one ends either
            return {at, end + 1, closing};
        }
    }
    return {};
}

QStringList CurrentRelatedPieces(const QString& page)
{
    // The box's own tag, at most a few hundred characters in any real page.
    static const QRegularExpression box(QStringLiteral("\\bid\\s*=\\s*[\"']?(rs_new|rs)[\"'\\s>]"),
                                        QRegularExpression::CaseInsensitiveOption);
    HtmlTag div = nextTag(page, {u"div"}, 0);
    for (; div.start >= 0; div = nextTag(page, {u"div"}, div.end)) {
        const QStringView tag = QStringView(page).sliced(div.start, div.end - div.start);
        if (!div.closing && tag.size() <= kLongestTag && tag.contains(u"rs", Qt::CaseInsensitive) &&
            box.match(tag).hasMatch())
            break;
    }
    if (div.start < 0)
        return {};
    const qsizetype tableStart = page.indexOf(u"<table", div.end, Qt::CaseInsensitive);
    const qsizetype tableEnd = tableStart < 0 ? -1 : page.indexOf(u"</table>", tableStart, Qt::CaseInsensitive);
    if (tableEnd < 0)
        return {};
    const QStringView table = QStringView(page).sliced(tableStart, tableEnd - tableStart);
    // A cell runs from its tag to the first closing cell tag; the first link in it is the keyword.
    QStringList pieces;
    for (HtmlTag cell = nextTag(table, {u"td", u"th"}, 0); cell.start >= 0;) {
        if (cell.closing) {
            cell = nextTag(table, {u"td", u"th"}, cell.end);
            continue;
        }
        HtmlTag close = nextTag(table, {u"td", u"th"}, cell.end);
        while (close.start >= 0 && !close.closing)
            close = nextTag(table, {u"td", u"th"}, close.end);
        if (close.start < 0)
            break;
        const QStringList texts = linkTexts(table.sliced(cell.end, close.start - cell.end).toString());
        if (!texts.isEmpty())
            pieces.append(texts.first());
        cell = nextTag(table, {u"td", u"th"}, close.end);
    }
    return pieces;
}

QString plainText(const QString& html)
{
    QString text;
    qsizetype at = 0;
    for (qsizetype open = html.indexOf(u'<'); open >= 0; open = html.indexOf(u'<', at)) {
        const qsizetype close = html.indexOf(u'>', open);
        if (close < 0)
            break; // a "<" that no ">" follows is text, and so is the rest
        text += QStringView(html).sliced(at, open - at);
        at = close + 1;
    }
    text += QStringView(html).sliced(at);
    return decodeEntities(text).trimmed();
}

QList<PageLink> links(const QString& html)
{
    static const QRegularExpression href(QStringLiteral("\\bhref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                         QRegularExpression::CaseInsensitiveOption);
    QList<PageLink> found;
    for (HtmlTag link = nextTag(html, {u"a"}, 0); link.start >= 0;) {
        if (link.closing) {
            link = nextTag(html, {u"a"}, link.end);
            continue;
        }
        const qsizetype close = html.indexOf(u"</a>", link.end, Qt::CaseInsensitive);
        if (close < 0)
            break; // no link after this one is closed either
        const QString text = plainText(html.sliced(link.end, close - link.end));
        if (!text.isEmpty()) {
            const QStringView tag = QStringView(html).sliced(link.start, link.end - link.start);
            const QRegularExpressionMatch match =
                tag.size() <= kLongestTag ? href.match(tag) : QRegularExpressionMatch();
            found.append({decodeEntities(match.captured(1) + match.captured(2) + match.captured(3)), text});
        }
        link = nextTag(html, {u"a"}, close + 4);
    }
    return found;
}

QStringList linkTexts(const QString& html)
{
    QStringList texts;
    for (const PageLink& link : links(html))
        texts.append(link.text);
    return texts;
}

QStringList RelatedPieces(const QString& page)
{
    QString text = page;
    text.remove(u'"');
    text = GetBody(text, QStringLiteral("<div class=tt>相关搜索</div><table cellpadding=0><tr><th>"),
                   QStringLiteral("</th></tr></table></div>"), false, false);
    // A page without the marker of old is one of today's, with a box of its own.
    if (text == FalseMarker())
        return CurrentRelatedPieces(page);
    text.replace(QStringLiteral("</a></th><"), QStringLiteral(",</a></th><"));
    text = ClearHtml(text);
    if (text == FalseMarker() || text.isEmpty())
        return {};
    return text.split(u',');
}

bool isInsertable(QStringView keyword)
{
    if (keyword.size() > kMaxKeywordLength || keyword.contains(u"|*") || keyword.contains(u"*|"))
        return false;
    for (qsizetype i = 0; i < keyword.size(); ++i) {
        char32_t c = keyword[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < keyword.size() && keyword[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), keyword[++i].unicode());
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_PrivateUse:
        case QChar::Other_NotAssigned:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
        if (c == u'<' || c == u'>' || c == u'"' || c == u'\'' || c == u'`' || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

bool splitsInUpload(QStringView line)
{
    return line.contains(u"|*|") || line.endsWith(u"|*") || line.startsWith(u"*|");
}

QString suggestionCallback()
{
    return QStringLiteral("window.bdsug.sug");
}

QString suggestionUrl(const QString& base, const QString& keyword)
{
    return base + u"/su?wd=" + GBtoUTF8(keyword) + u"&tn=baidu&cb=" + suggestionCallback() + u"&from=superpage";
}

QString searchUrl(const QString& base, const QString& keyword)
{
    return base + u"/s?tn=baidu&ie=utf-8&word=" + GBtoUTF8(keyword);
}

} // namespace KeywordRules
