// The duplicate filter against a plain reference: no line twice, nothing that was not there, nothing
// lost, the line nearest the bottom first; and the filter over the same text as UTF-8 agrees.
#include "FuzzInput.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRules.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextCodec::fromAnsi(FuzzInput::bytes(data, size));
    QStringList expected;
    QSet<QString> seen;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line == u" " || line == u"\u3000" || seen.contains(line))
            continue;
        seen.insert(line);
        expected.prepend(line);
    }
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
