#include "base/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char* kAnsiCodec = "GB18030";
}

namespace TextCodec {

QByteArray toAnsi(QStringView text)
{
    QStringEncoder encoder(kAnsiCodec);
    return encoder.encode(text);
}

QString fromAnsi(QByteArrayView bytes)
{
    QStringDecoder decoder(kAnsiCodec);
    return decoder.decode(bytes);
}

} // namespace TextCodec
