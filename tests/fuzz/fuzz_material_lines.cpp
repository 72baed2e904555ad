// Material lines pasted or imported in bulk: the file's decoding, the check of every line and the plan.
#include "FuzzInput.h"
#include "base/MaterialLines.h"
#include "base/SiteNames.h"
#include "base/TextCodec.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextCodec::fromUtf8OrAnsi(FuzzInput::bytes(data, size).toByteArray());
    for (const MaterialLines::Kind kind : {MaterialLines::Kind::Domains, MaterialLines::Kind::Identifiers}) {
        const MaterialLines::Plan plan = MaterialLines::plan(kind, text, {});
        // What is accepted is what a check keeps as it stands, once each, whatever the letter case.
        QSet<QString> seen;
        for (const MaterialLines::Row& row : plan.accepted) {
            const SiteNames::Checked again =
                kind == MaterialLines::Kind::Domains ? SiteNames::domain(row.value) : SiteNames::identifier(row.value);
            FuzzInput::require(again.verdict == SiteNames::Checked::Verdict::Kept && again.value == row.value);
            FuzzInput::require(row.count >= 1 && row.count <= SiteNames::kMaxSiteCount);
            FuzzInput::require(!seen.contains(row.value.toLower()));
            seen.insert(row.value.toLower());
        }
        for (const MaterialLines::Row& row : plan.refused)
            FuzzInput::require(!row.reason.isEmpty());
    }
    SiteNames::registrableDomain(text.left(300));
    return 0;
}
