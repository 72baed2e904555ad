#include "service/ServerAddressFile.h"

#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"
#include "base/TextRules.h"

#include <QFile>
#include <algorithm>

namespace {
// Only the first line matters; a huge or binary file must not be read whole.
constexpr qint64 kReadLimit = 64 * 1024;
} // namespace

QString ServerAddressFile::addressFromContent(const QByteArray& content, bool truncated)
{
    const QString text = TextCodec::fromAnsi(content);
    DelimitedFieldReader reader(text);
    if (reader.atEnd())
        return {};
    const QStringView field = TextRules::trimSpaces(reader.next());
    // A first field that runs past the part read is no address, and neither is one with control
    // characters (binary, or a quoted field that runs over several lines).
    const bool control =
        std::any_of(field.begin(), field.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (field.isEmpty() || control || (truncated && reader.atEnd()))
        return {};
    // A first field with the https scheme is the base as it stands; the form without a scheme has always
    // meant http.
    if (field.startsWith(u"https://", Qt::CaseInsensitive)) {
        QStringView base = field;
        while (base.endsWith(u'/'))
            base.chop(1);
        return base.size() > 8 ? base.toString() : QString();
    }
    return u"http:/" + field.toString();
}

ServerAddressFile ServerAddressFile::read(const QString& path)
{
    ServerAddressFile result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = Status::Unreadable;
        result.error = file.errorString();
        return result;
    }
    const QByteArray content = file.read(kReadLimit);
    result.address = addressFromContent(content, !file.atEnd());
    result.status = result.address.isEmpty() ? Status::Empty : Status::Ok;
    return result;
}
