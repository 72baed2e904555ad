#include "base/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr const char* kAnsiCodec = "GB18030";

bool isLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}
bool isDigit(unsigned char byte)
{
    return byte >= 0x30 && byte <= 0x39;
}

// Where an unfinished character at the very end of GB18030 bytes begins, or -1 when the bytes end on
// a character boundary. The decoder keeps such bytes for a continuation that never comes, and Qt has
// no call that flushes them, so they are found here.
qsizetype unfinishedTail(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!isLead(byte)) {
            ++i;
            continue;
        }
        if (i + 1 == size)
            return i;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (!isDigit(second)) {
            i += (second >= 0x40 && second != 0x7F && second != 0xFF) ? 2 : 1;
            continue;
        }
        // Four bytes: lead, digit, lead, digit.
        if (i + 2 == size)
            return i;
        if (!isLead(static_cast<unsigned char>(bytes[i + 2]))) {
            ++i;
            continue;
        }
        if (i + 3 == size)
            return i;
        i += isDigit(static_cast<unsigned char>(bytes[i + 3])) ? 4 : 1;
    }
    return -1;
}

} // namespace

namespace TextCodec {

QByteArray toAnsi(QStringView text)
{
    QStringEncoder encoder(kAnsiCodec);
    return encoder.encode(text);
}

QString fromAnsi(QByteArrayView bytes)
{
    QStringDecoder decoder(kAnsiCodec);
    const qsizetype tail = unfinishedTail(bytes);
    if (tail < 0)
        return decoder.decode(bytes);
    // An unfinished character shows like any other broken bytes.
    QString text = decoder.decode(bytes.first(tail));
    text += QChar::ReplacementCharacter;
    return text;
}

QString fromUtf8OrAnsi(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return fromAnsi(bytes);
    if (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    return text;
}

} // namespace TextCodec
