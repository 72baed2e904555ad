#pragma once

#include "keywords/TextTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

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
// exactly what the service reads. Kept compact: a list of a million mined lines costs tens of MiB, not
// hundreds; each keyword's text is kept once, beside its record.
class KeywordRecords
{
public:
    // The first record of a keyword is kept: that is where it came from.
    void add(QStringView keyword, const KeywordRecord& record);
    std::optional<KeywordRecord> find(QStringView keyword) const;
    // The pass a keyword was found at; 0 for one the search did not find.
    int passOf(QStringView keyword) const;
    qsizetype size() const { return qsizetype(m_records.size()); }
    void clear();

    // The records of the list's lines (lines as the list box holds them), in the list's order.
    QByteArray toTsv(QStringView list) const;
    static KeywordRecords fromTsv(QByteArrayView tsv);

    // word.sources.tsv beside the given word.txt.
    static QString pathBeside(const QString& wordFile);
    static KeywordRecords read(const QString& path);
    // Replaces the file atomically; nothing is written while there are no records and no file.
    bool write(const QString& path, QStringView list, QString* error = nullptr) const;

private:
    struct Packed
    {
        quint32 seed = 0;  // index into m_seeds
        quint32 found = 0; // seconds since 1970, UTC
        quint16 pass = 0;
        quint8 source = 0; // index into m_sources
    };
    quint32 seedIndex(const QString& seed);
    QStringView seedAt(quint32 index) const;
    const Packed* packedOf(QStringView keyword) const;

    TextTable m_keywords; // keyword n's record is m_records[n - 1]
    std::vector<Packed> m_records;
    // The seeds end to end, each where m_seedStarts says; a keyword's seed is most often the one before's.
    QString m_seedText;
    std::vector<quint32> m_seedStarts;
    QStringList m_sources;
};
