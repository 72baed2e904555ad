#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

// Where a keyword of the list came from: the seed it was found for, the source that gave it, the pass
// of the search and when.
struct KeywordRecord
{
    QString seed;
    QString source;
    int pass = 0;
    QDateTime found;
};

// The records of the keywords a search inserted, joined to the list's lines by their text. They live in
// word.sources.tsv beside word.txt (UTF-8, tab-separated, one keyword a line), so that word.txt stays
// exactly what the service reads.
class KeywordRecords
{
public:
    // The first record of a keyword is kept: that is where it came from.
    void add(const QString& keyword, KeywordRecord record);
    const KeywordRecord* find(QStringView keyword) const;
    qsizetype size() const { return qsizetype(m_records.size()); }
    void clear();

    QByteArray toTsv() const;
    static KeywordRecords fromTsv(QByteArrayView tsv);

    // word.sources.tsv beside the given word.txt.
    static QString pathBeside(const QString& wordFile);
    static KeywordRecords read(const QString& path);
    // Replaces the file atomically; nothing is written while there are no records and no file.
    bool write(const QString& path, QString* error = nullptr) const;

private:
    std::vector<std::pair<QString, KeywordRecord>> m_records;
    QHash<QString, qsizetype> m_index;
};
