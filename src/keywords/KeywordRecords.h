#pragma once

#include "keywords/TextTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// Where a keyword of the list came from: the seed it was found for, the source that gave it, the pass
// of the search and when, the expansion of the seed that was asked (empty: the seed itself), and how
// many distinct source and seed pairs have suggested it.
struct KeywordRecord
{
    QString seed;
    QString source;
    int pass = 0;
    QDateTime found;
    QString expansion;
    int count = 1;
};

// The records of the keywords a search inserted, joined to the list's lines by their text. They live in
// word.sources.tsv beside word.txt (UTF-8, tab-separated, one keyword a line), so that word.txt stays
// exactly what the service reads. Kept compact: a list of a million mined lines costs tens of MiB, not
// hundreds; each keyword's text is kept once, beside its record.
class KeywordRecords
{
public:
    // The first record of a keyword is kept: that is where it came from. Whether it is a new one. A record
    // none of whose fields can be kept as it is (a 257th source name, a 65,537th expansion) is refused
    // and counted, never kept with another value.
    bool add(QStringView keyword, const KeywordRecord& record);
    // One more source and seed pair suggested a keyword that has a record.
    void countAgain(QStringView keyword);
    static constexpr int kMaxCount = (1 << 24) - 1;
    // Records and counts refused for what they could not keep.
    qsizetype refused() const { return m_refused; }

    // What each source (by its place among the sources, below 16) was asked and answered: every text in
    // this run, for skip-asked and a seed's expansions; every seed in any run, so that a source and seed
    // pair counts a keyword once across runs. One table of texts serves both.
    void markAsked(int source, QStringView text, QStringView seed);
    bool askedThisRun(int source, QStringView text) const;
    bool askedBefore(int source, QStringView seed) const;
    // A new run: what this run asked is forgotten, the pairs of every run kept.
    void startRun();
    // How many results an engine (its place among KeywordSource::resultEngines()) says it holds for a
    // query asked; the last figure stated is kept.
    void setResults(int engine, QStringView query, qint64 results);
    std::optional<qint64> results(int engine, QStringView query) const;
    // The lowest any engine stated.
    std::optional<qint64> lowestResults(QStringView query) const;
    static constexpr int kResultEngines = 3;

    std::optional<KeywordRecord> find(QStringView keyword) const;
    // The seeds a keyword came from, back to the first that has no record of its own (a seed of the
    // table), that one first.
    QStringList path(QStringView keyword) const;
    // The pass a keyword was found at; 0 for one the search did not find.
    int passOf(QStringView keyword) const;
    qsizetype size() const { return qsizetype(m_records.size()); }
    // The keywords, the most often suggested first; those of one count (or without a record) in their order.
    QStringList sortedByCount(const QStringList& keywords) const;
    // The keywords, the fewest results any engine stated first; those without a figure last, and those
    // of one figure in their order.
    QStringList sortedByResults(const QStringList& keywords) const;
    void clear();

    // Record n, from 1 to size(), in the order they were added: for a view that walks them all.
    quint32 indexOf(QStringView keyword) const { return m_keywords.find(keyword); }
    QString keywordAt(quint32 n) const { return m_keywords.text(n); }
    int countAt(quint32 n) const { return int(m_records[n - 1].count); }
    int passAt(quint32 n) const { return int(m_records[n - 1].pass); }
    quint32 foundAt(quint32 n) const { return m_records[n - 1].found; } // seconds since 1970; 0: unknown
    QStringView seedOf(quint32 n) const { return seedAt(m_records[n - 1].seed); }
    const QString& sourceOf(quint32 n) const { return m_sources[m_records[n - 1].source]; }
    const QString& expansionOf(quint32 n) const { return m_expansions[m_seedExpansions[m_records[n - 1].seed]]; }

    // The records of the list's lines (lines as the list box holds them), in the list's order.
    QByteArray toTsv(QStringView list) const;
    static KeywordRecords fromTsv(QByteArrayView tsv);

    // word.sources.tsv beside the given word.txt.
    static QString pathBeside(const QString& wordFile);
    // word.asked.tsv beside it: the pairs asked, a line each (source, tab, seed).
    static QString askedPathBeside(const QString& recordsFile);
    static KeywordRecords read(const QString& path);
    // Replaces the file, and the pairs' file beside it, atomically; nothing is written while there are no
    // records and no file.
    bool write(const QString& path, QStringView list, QString* error = nullptr) const;

private:
    // Sixteen bytes a keyword: a million records stay within tens of MiB.
    struct Packed
    {
        quint32 seed = 0;  // index into m_seedStarts
        quint32 found = 0; // seconds since 1970, UTC
        quint32 pass = 0;
        quint32 source : 8 = 0; // index into m_sources
        quint32 count : 24 = 1;
    };
    static constexpr int kMaxSources = 1 << 8;
    static constexpr int kMaxExpansions = 1 << 16;
    // The seed's index, or none when its expansion is one too many to keep.
    std::optional<quint32> seedIndex(const QString& seed, const QString& expansion);
    QStringView seedAt(quint32 index) const;
    const Packed* packedOf(QStringView keyword) const;

    TextTable m_keywords; // keyword n's record is m_records[n - 1]
    std::vector<Packed> m_records;
    // The seeds end to end, each where m_seedStarts says, with the expansion asked; a keyword's seed is most
    // often the one before's.
    QString m_seedText;
    std::vector<quint32> m_seedStarts;
    std::vector<quint16> m_seedExpansions; // index into m_expansions
    QStringList m_expansions{QString()};
    QHash<QString, quint16> m_expansionIndex{{QString(), 0}};
    QStringList m_sources;
    qsizetype m_refused = 0;
    quint32* askedBits(QStringView text);
    TextTable m_asked;
    std::vector<quint32> m_askedBits; // per asked text: a bit per source this run, and 16 above as a seed ever
    // Per engine and asked text, the results it stated plus one (0: none); empty for an engine never read.
    std::array<std::vector<quint32>, kResultEngines> m_results;
};
