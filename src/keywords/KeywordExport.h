#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class KeywordRecords;

// The keyword list with where each word came from, for Excel, WPS or another program: CSV (UTF-8 with a
// byte-order mark, RFC 4180 quoting), XLSX (one sheet), or plain UTF-8 text, one keyword a line.
namespace KeywordExport {

enum class Format
{
    Text,
    Csv,
    Xlsx,
};

// Why an export may not go to path, or empty: word.txt, its recovery and records files and its lock in
// the program folder are the list a keyword window or a miner keeps, which an export would overwrite.
QString targetProblem(const QString& path, const QString& programFolder);

// By the file name's extension (.txt, .csv, .xlsx); nothing for any other.
std::optional<Format> formatOf(const QString& path);
// By name: txt, csv or xlsx.
std::optional<Format> formatNamed(QStringView name);

// The columns, in order.
QStringList header();
QByteArray csv(const QStringList& keywords, const KeywordRecords& records);
QByteArray text(const QStringList& keywords);
// Writes the file (a new one readable by the user alone); error says why not.
bool write(const QString& path, Format format, const QStringList& keywords, const KeywordRecords& records,
           QString* error = nullptr);

} // namespace KeywordExport
