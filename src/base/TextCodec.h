#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The one place where text meets the "ANSI" bytes of files and request bodies.
// GB18030 is a superset of GBK with the same bytes for every GBK character, and it is lossless for
// every other character, so nothing the user types is ever replaced by a question mark.
namespace TextCodec {

QByteArray toAnsi(QStringView text);
// Broken bytes, an unfinished character at the end included, come out as U+FFFD.
QString fromAnsi(QByteArrayView bytes);
// A file a person wrote: UTF-8 (its byte-order mark dropped) when its bytes decode as such without a fault,
// else the ANSI code page.
QString fromUtf8OrAnsi(QByteArrayView bytes);

} // namespace TextCodec
