// The ANSI (GB18030) conversions: text round trips, and decoding is stable.
#include "FuzzInput.h"
#include "base/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString text = FuzzInput::utf16(data, size);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    FuzzInput::require(TextCodec::fromAnsi(TextCodec::toAnsi(text)) == text);

    const QString decoded = TextCodec::fromAnsi(FuzzInput::bytes(data, size));
    FuzzInput::require(TextCodec::fromAnsi(TextCodec::toAnsi(decoded)) == decoded);
    return 0;
}
