#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <vector>

// The distinct texts of a list of a million lines, numbered from 1 in the order they came. Each text is
// kept once, as the characters it shares with the text before it and those of its own (a list's
// neighbouring lines, and the keywords of one seed, mostly share their start), and found again through a
// table of one 32-bit slot a text: eight bits of its hash beside its number, at most 0.8 full, grown by
// half. A slot whose bits agree is a hit only when its text is the same: two texts are never taken for
// one. The hash is seeded per process, so no reply can aim lines at one slot.
class TextTable
{
public:
    static constexpr int kIndexBits = 24;
    static constexpr quint32 kMaxIndex = (quint32(1) << kIndexBits) - 1;

    // The text's number, or 0 when it is not in the table.
    quint32 find(QStringView text) const;
    // The text's number, adding the text when missing; 0 when the table is full.
    quint32 insert(QStringView text);
    qsizetype size() const { return qsizetype(m_starts.size()); }
    // Text number index (from 1 to size()).
    QString text(quint32 index) const;
    void clear();

    static size_t hashOf(QStringView text) { return qHash(text, QHashSeed::globalSeed()); }
    // What the table knows of a text before it compares the text itself: the hash's high 32 bits choose
    // its place, its low 8 bits are kept in the slot. For tests that look for two texts that share them.
    static quint64 probeBits(QStringView text) { return hashOf(text) & 0xFFFFFFFF000000FF; }

private:
    static quint32 slotFor(size_t hash, quint32 index) { return quint32(hash << kIndexBits) | index; }
    // Every so many texts one is kept whole, so that no text takes more than that many steps to compare.
    static constexpr size_t kWholeEvery = 16;

    bool isText(quint32 index, QStringView text) const;
    QStringView ownPart(size_t entry) const;
    // The slot of the text, or of the free slot where it would go.
    size_t slotOf(QStringView text, size_t hash) const;
    void place(std::vector<quint32>& table, size_t hash, quint32 index) const;
    void grow();

    std::vector<quint32> m_slots;
    QString m_own;                 // each text's own characters, end to end
    std::vector<quint32> m_starts; // where text n + 1's own characters start in m_own
    std::vector<quint8> m_shared;  // how many characters text n + 1 takes from the start of text n
    QString m_last;                // the text added last, to share with
};
