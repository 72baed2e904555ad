// The duplicate filter against the plain model the unit test uses, and the filter over the same text as
// UTF-8 agrees.
#include "FuzzInput.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRules.h"
#include "support/DistinctLinesModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextCodec::fromAnsi(FuzzInput::bytes(data, size));
    const QStringList expected = distinctLinesModel(text);
    const std::vector<QStringView> kept = KeywordRules::DistinctLines(text);
    FuzzInput::require(qsizetype(kept.size()) == expected.size());
    for (size_t i = 0; i < kept.size(); ++i)
        FuzzInput::require(kept[i] == expected[qsizetype(i)]);
    const QByteArray utf8 = text.toUtf8();
    const std::vector<QByteArrayView> keptUtf8 = KeywordRules::DistinctLines(QByteArrayView(utf8));
    FuzzInput::require(keptUtf8.size() == kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        FuzzInput::require(QString::fromUtf8(keptUtf8[i]) == kept[i]);
    return 0;
}
