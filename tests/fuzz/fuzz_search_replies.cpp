// The two cuts of a suggestion reply and the related-search box of a result page.
#include "FuzzInput.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRules.h"
#include "keywords/WebText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView body = FuzzInput::bytes(data, size);
    for (const QString& piece : KeywordRules::SuggestionPieces(TextCodec::fromAnsi(body)))
        FuzzInput::require(!piece.contains(u'"') && !piece.contains(u','));
    const QString page = bBytesToBstr(body.toByteArray());
    for (const QString& piece : KeywordRules::RelatedPieces(page))
        FuzzInput::require(!piece.contains(u'"') && !piece.contains(u','));
    return 0;
}
