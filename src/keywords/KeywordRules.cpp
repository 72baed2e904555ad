#include "keywords/KeywordRules.h"

#include "base/TextCodec.h"
#include "base/TextRules.h"
#include "keywords/WebText.h"

#include <QHash>
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
