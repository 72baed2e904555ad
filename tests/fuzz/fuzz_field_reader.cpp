// The field reader of word.txt and server.txt.
#include "FuzzInput.h"
#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextCodec::fromAnsi(FuzzInput::bytes(data, size));
    const QStringList fields = DelimitedFieldReader::readAll(text);
    // Every field ends at a delimiter or the end: never more fields than delimiters plus one.
    const qsizetype delimiters = text.count(u',') + text.count(u'\n') + text.count(u'\r');
    FuzzInput::require(fields.size() <= delimiters + 1);
    // Fields are pieces of the text that do not overlap: a quoted one runs to the next quote (across
    // lines too) and loses its quotes, blanks around an unquoted one go.
    qsizetype total = 0;
    for (const QString& field : fields) {
        FuzzInput::require(text.contains(field));
        total += field.size();
    }
    FuzzInput::require(total <= text.size());
    return 0;
}
