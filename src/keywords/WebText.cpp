#include "keywords/WebText.h"

#include <QRegularExpression>

QString bBytesToBstr(const QByteArray& body)
{
    QByteArrayView bytes(body);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    return QString::fromUtf8(bytes);
}

namespace {

void appendByte(QString& out, unsigned value)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    out += u'%';
    out += QChar(kHex[(value >> 4) & 0xF]);
    out += QChar(kHex[value & 0xF]);
}

} // namespace

QString GBtoUTF8(const QString& szInput)
{
    QString result;
    result.reserve(szInput.size() * 9);
    for (qsizetype i = 0; i < szInput.size(); ++i) {
        const char16_t c = szInput[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < szInput.size() && szInput[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, szInput[i + 1].unicode());
            ++i;
            appendByte(result, 0xF0 + (code >> 18));
            appendByte(result, 0x80 + ((code >> 12) & 0x3F));
            appendByte(result, 0x80 + ((code >> 6) & 0x3F));
            appendByte(result, 0x80 + (code & 0x3F));
        } else if (c < 0x80) {
            appendByte(result, c);
        } else if (c < 0x800) {
            appendByte(result, 0xC0 + c / 64);
            appendByte(result, 0x80 + c % 64);
        } else {
            appendByte(result, 0xE0 + c / 4096);
            appendByte(result, 0x80 + (c / 64) % 64);
            appendByte(result, 0x80 + c % 64);
        }
    }
    return result;
}

QString ClearHtml(const QString& str)
{
    static const QRegularExpression tag(QStringLiteral("<[^\\n][^<]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression closingTag(QStringLiteral("</[^<]*>"), QRegularExpression::CaseInsensitiveOption);
    QString text = str;
    text.replace(tag, QString());
    text.replace(closingTag, QString());
    return text;
}

namespace {

// Lower case unit by unit, so positions in the copy are positions in the original.
QString lowerUnits(const QString& text)
{
    QString lower = text;
    for (QChar& c : lower)
        c = c.toLower();
    return lower;
}

} // namespace

QString GetBody(const QString& ConStr, const QString& StartStr, const QString& OverStr, bool IncluL, bool IncluR)
{
    if (ConStr.isEmpty() || ConStr == FalseMarker() || StartStr.isEmpty() || OverStr.isEmpty())
        return FalseMarker();
    const QString text = lowerUnits(ConStr);
    const QString start = lowerUnits(StartStr);
    const QString over = lowerUnits(OverStr);

    qsizetype begin = text.indexOf(start);
    if (begin < 0)
        return FalseMarker();
    if (!IncluL)
        begin += start.size();
    qsizetype end = text.indexOf(over, begin);
    if (end < 0 || end <= begin)
        return FalseMarker();
    if (IncluR)
        end += over.size();
    return ConStr.mid(begin, end - begin);
}
