// The replies of every keyword source, decoded by the charset they name, and word.sources.tsv.
#include "FuzzInput.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRecords.h"
#include "keywords/KeywordRules.h"
#include "keywords/KeywordSource.h"
#include "keywords/WebText.h"
#include "keywords/XMLHttpGET.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView body = FuzzInput::bytes(data, size);
    for (const QString& piece : KeywordRules::SuggestionPieces(TextCodec::fromAnsi(body)))
        FuzzInput::require(!piece.contains(u'"') && !piece.contains(u','));
    const QString page = bBytesToBstr(body.toByteArray());
    for (const QString& piece : KeywordRules::RelatedPieces(page))
        FuzzInput::require(!piece.contains(u'"') && !piece.contains(u','));

    // The first line is the Content-Type, the rest the body.
    const QList<QByteArray> parts = FuzzInput::parts(data, size, 2);
    FetchReply reply;
    reply.status = 200;
    reply.contentType = parts[0];
    reply.body = parts[1];
    reply.text = decodeByCharset(reply.body, reply.contentType);
    for (const KeywordSource& source : KeywordSource::all()) {
        source.check(reply);
        source.keywords(reply);
    }

    // Records read back as they were written, for a list of the input's lines.
    const KeywordRecords records = KeywordRecords::fromTsv(body);
    const QString list = QString::fromUtf8(body);
    const QByteArray tsv = records.toTsv(list);
    FuzzInput::require(KeywordRecords::fromTsv(tsv).toTsv(list) == tsv);
    return 0;
}
