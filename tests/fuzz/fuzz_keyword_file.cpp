// word.txt as the field reader, the keyword window and the upload read it: fields are pieces of the text,
// and the same fields come out every way.
#include "FuzzInput.h"
#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"
#include "keywords/KeywordFileLoader.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextCodec::fromAnsi(FuzzInput::bytes(data, size));
    const QStringList fields = DelimitedFieldReader::readAll(text);
    // Every field ends at a delimiter or the end: never more fields than delimiters plus one. Fields do
    // not overlap: a quoted one runs to the next quote (across lines too) and loses its quotes, blanks
    // around an unquoted one go.
    const qsizetype delimiters = text.count(u',') + text.count(u'\n') + text.count(u'\r');
    FuzzInput::require(fields.size() <= delimiters + 1);
    qsizetype total = 0;
    for (const QString& field : fields) {
        FuzzInput::require(text.contains(field));
        total += field.size();
    }
    FuzzInput::require(total <= text.size());

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("word.txt"));
    {
        QFile file(path);
        FuzzInput::require(file.open(QIODevice::WriteOnly));
        file.write(FuzzInput::bytes(data, size).toByteArray());
    }
    FuzzInput::require(KeywordFileLoader::readFieldLines(path) ==
                       (fields.isEmpty() ? QString() : fields.join(u'\n') + u'\n'));
    const KeywordFileLoader::UploadList upload = KeywordFileLoader::readUploadList(path);
    FuzzInput::require(upload.exists && upload.error.isEmpty());
    FuzzInput::require(upload.joined == (fields.isEmpty() ? QString() : fields.join(u"|*|") + u"|*|"));
    return 0;
}
