// word.txt read as the keyword window and the upload read it: the same fields both ways.
#include "FuzzInput.h"
#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"
#include "keywords/KeywordFileLoader.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("word.txt"));
    {
        QFile file(path);
        FuzzInput::require(file.open(QIODevice::WriteOnly));
        file.write(FuzzInput::bytes(data, size).toByteArray());
    }
    const QStringList fields = DelimitedFieldReader::readAll(TextCodec::fromAnsi(FuzzInput::bytes(data, size)));
    FuzzInput::require(KeywordFileLoader::readFieldLines(path) ==
                       (fields.isEmpty() ? QString() : fields.join(u'\n') + u'\n'));
    const KeywordFileLoader::UploadList upload = KeywordFileLoader::readUploadList(path);
    FuzzInput::require(upload.exists && upload.error.isEmpty());
    FuzzInput::require(upload.joined == (fields.isEmpty() ? QString() : fields.join(u"|*|") + u"|*|"));
    return 0;
}
