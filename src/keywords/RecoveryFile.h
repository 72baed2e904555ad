#pragma once

#include <QString>

// word.recovery.txt beside word.txt: the result list as a running search last wrote it, so that a crash
// or a power loss costs at most the last few minutes of mining.
namespace RecoveryFile {

QString fileName();
QString path();
// Writes the list as word.txt would hold it (GB18030, CR LF), replacing the file atomically.
bool write(const QString& resultText);
void remove();
// A recovery file that is newer than word.txt (or word.txt is missing): worth offering.
bool isWorthOffering();

} // namespace RecoveryFile
