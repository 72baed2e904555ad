#pragma once

#include "keywords/KeywordRecords.h"

#include <QString>

// A word's record as "seed source pass", or "(none)": a missing record fails the comparison that asked
// instead of ending the test executable.
inline QString recordOf(const KeywordRecords& records, const QString& word)
{
    const std::optional<KeywordRecord> record = records.find(word);
    return record ? QStringLiteral("%1 %2 %3").arg(record->seed, record->source).arg(record->pass)
                  : QStringLiteral("(none)");
}
