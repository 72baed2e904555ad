// The ANSI (GB18030) conversions and EncodeFormValue: text round trips, decoding is stable, and a form
// value is pure ASCII whose escapes are each character's GB18030 bytes.
#include "FuzzInput.h"
#include "base/FormEncoding.h"
#include "base/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString value = FuzzInput::utf16(data, size);
    const QString decoded = TextCodec::fromAnsi(FuzzInput::bytes(data, size));
    FuzzInput::require(TextCodec::fromAnsi(TextCodec::toAnsi(decoded)) == decoded);

    const QString encoded = EncodeFormValue(value);
    for (QChar c : encoded)
        FuzzInput::require(c.unicode() < 0x80);
    QString expected;
    QString whole; // the value with its lone surrogates as U+FFFD, which the codec gives back as it was
    for (qsizetype i = 0; i < value.size(); ++i) {
        QString character(value[i]);
        if (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate())
            character += value[++i];
        else if (value[i].isSurrogate())
            character = QString(QChar::ReplacementCharacter);
        whole += character;
        const QByteArray bytes = TextCodec::toAnsi(character);
        if (character == u" ")
            expected += u"%20";
        else if (bytes.size() == 1)
            expected += character;
        else
            for (char byte : bytes)
                expected += QStringLiteral("%%1").arg(uchar(byte), 2, 16, QChar(u'0')).toUpper();
    }
    FuzzInput::require(encoded == expected);
    FuzzInput::require(TextCodec::fromAnsi(TextCodec::toAnsi(whole)) == whole);
    return 0;
}
