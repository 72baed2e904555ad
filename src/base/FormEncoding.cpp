#include "base/FormEncoding.h"

#include "base/TextCodec.h"

namespace {

void appendEscape(QString& out, unsigned char byte)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    out += u'%';
    out += QChar(kHex[byte >> 4]);
    out += QChar(kHex[byte & 0x0F]);
}

} // namespace

QString EncodeFormValue(const QString& input)
{
    // A lone surrogate has no bytes in any code page: it goes out as U+FFFD, so the value stays ASCII.
    QString value = input;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate())
            ++i;
        else if (value[i].isSurrogate())
            value[i] = QChar::ReplacementCharacter;
    }
    QString result;
    result.reserve(value.size() * 3);
    qsizetype i = 0;
    while (i < value.size()) {
        // A surrogate pair is one character: GB18030 gives it four bytes, each escaped.
        const qsizetype length =
            (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView character = QStringView(value).mid(i, length);
        const QByteArray bytes = TextCodec::toAnsi(character);
        if (bytes.size() == 1) {
            if (bytes[0] == ' ')
                result += QStringLiteral("%20");
            else
                result += character;
        } else {
            for (char byte : bytes)
                appendEscape(result, static_cast<unsigned char>(byte));
        }
        i += length;
    }
    return result;
}

QString EscapeFormDelimiters(const QString& value)
{
    QString result;
    result.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
        case u'%':
        case u'+':
        case u'=':
        case u'#':
            appendEscape(result, static_cast<unsigned char>(c.unicode()));
            break;
        default:
            result += c;
        }
    }
    return result;
}
