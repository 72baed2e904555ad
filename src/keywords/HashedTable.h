#pragma once

#include <QHashFunctions>
#include <QStringView>
#include <optional>
#include <vector>

// A map from texts to small numbers for bookkeeping over lists of a million lines: one 64-bit slot an
// entry, the text's hash in its high bits and the value in the low ValueBits, no text and no allocation
// per entry, at most 0.8 full and grown by half. Texts whose hashes agree in the high bits (odds of
// about one in 10^5 in a list of a million lines with 24 value bits) share an entry. The hash is
// seeded per process, so no reply can aim lines at one slot.
template <int ValueBits> class HashedTable
{
public:
    static constexpr quint64 kValueMask = (quint64(1) << ValueBits) - 1;
    static constexpr quint32 kMaxValue = quint32(kValueMask);

    std::optional<quint32> value(QStringView text) const
    {
        if (m_slots.empty())
            return std::nullopt;
        const quint64 tag = tagOf(text);
        for (size_t i = home(tag, m_slots.size());; i = next(i)) {
            if ((m_slots[i] & ~kValueMask) == tag)
                return quint32(m_slots[i] & kValueMask);
            if (m_slots[i] == 0)
                return std::nullopt;
        }
    }
    // Sets the text's value, adding the text when missing.
    void set(QStringView text, quint32 value)
    {
        if (10 * (m_size + 1) > 8 * qsizetype(m_slots.size()))
            grow();
        const quint64 tag = tagOf(text);
        size_t i = home(tag, m_slots.size());
        while (m_slots[i] != 0 && (m_slots[i] & ~kValueMask) != tag)
            i = next(i);
        if (m_slots[i] == 0)
            ++m_size;
        m_slots[i] = tag | (value & kValueMask);
    }
    qsizetype size() const { return m_size; }
    void clear()
    {
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_size = 0;
    }

private:
    // Never 0, which marks a free slot.
    static quint64 tagOf(QStringView text)
    {
        return (quint64(qHash(text, QHashSeed::globalSeed())) | (quint64(1) << 63)) & ~kValueMask;
    }
    // The hash's high bits spread over any table size.
    static size_t home(quint64 tag, size_t size) { return size_t(((tag << 1) >> 32) * size >> 32); }
    size_t next(size_t i) const { return i + 1 == m_slots.size() ? 0 : i + 1; }
    void grow()
    {
        std::vector<quint64> table(std::max<size_t>(16, m_slots.size() + m_slots.size() / 2), 0);
        for (const quint64 slot : m_slots) {
            if (slot == 0)
                continue;
            size_t i = home(slot & ~kValueMask, table.size());
            while (table[i] != 0)
                i = i + 1 == table.size() ? 0 : i + 1;
            table[i] = slot;
        }
        m_slots.swap(table);
    }

    std::vector<quint64> m_slots;
    qsizetype m_size = 0;
};
