// GetBody, ClearHtml, GBtoUTF8 and bBytesToBstr on anything.
#include "FuzzInput.h"
#include "keywords/WebText.h"

#include <QByteArray>
#include <QStringDecoder>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = FuzzInput::parts(data, size, 3);
    const QString text = QString::fromUtf8(parts[0]);
    const QString start = QString::fromUtf8(parts[1]);
    const QString over = QString::fromUtf8(parts[2]);
    const bool includeLeft = size > 0 && (data[0] & 1);
    const bool includeRight = size > 0 && (data[0] & 2);

    const QString cut = GetBody(text, start, over, includeLeft, includeRight);
    FuzzInput::require(cut == FalseMarker() || text.contains(cut));

    QString cleaned = text;
    FuzzInput::require(ClearHtml(cleaned).size() <= text.size());

    // Every unit becomes %-escaped UTF-8 bytes, and nothing else.
    const QString encoded = GBtoUTF8(text);
    FuzzInput::require(encoded.size() % 3 == 0);
    for (qsizetype i = 0; i < encoded.size(); i += 3)
        FuzzInput::require(encoded[i] == u'%' && isxdigit(encoded[i + 1].toLatin1()) &&
                           isxdigit(encoded[i + 2].toLatin1()));
    bool surrogates = false;
    for (QChar c : text)
        surrogates = surrogates || c.isSurrogate();
    if (!surrogates) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        FuzzInput::require(utf8.decode(QByteArray::fromPercentEncoding(encoded.toLatin1())) == text);
    }

    bBytesToBstr(FuzzInput::bytes(data, size).toByteArray());
    return 0;
}
