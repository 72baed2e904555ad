#pragma once

#include <QHashFunctions>
#include <QStringView>
#include <vector>

// A map from a text's 64-bit hash to a small value, for bookkeeping over lists of a million lines: no
// text and no allocation per entry, about 1.5 slots of 8 bytes plus a value per entry. Texts whose
// hashes collide (odds of one in 10^7 in a list of a million lines) share an entry. The hash is seeded
// per process, so no reply can aim lines at one slot.
template <typename Value> class HashedTable
{
public:
    static quint64 hashOf(QStringView text)
    {
        const quint64 hash = qHash(text, QHashSeed::globalSeed());
        return hash == 0 ? 1 : hash; // 0 marks a free slot
    }

    // The entry of the text, made with a default value when missing.
    Value& operator[](QStringView text) { return slot(hashOf(text)); }
    const Value* find(QStringView text) const
    {
        if (m_keys.empty())
            return nullptr;
        const quint64 hash = hashOf(text);
        for (size_t i = hash & (m_keys.size() - 1);; i = (i + 1) & (m_keys.size() - 1)) {
            if (m_keys[i] == hash)
                return &m_values[i];
            if (m_keys[i] == 0)
                return nullptr;
        }
    }
    qsizetype size() const { return m_size; }
    void clear()
    {
        m_keys.clear();
        m_values.clear();
        m_size = 0;
    }

private:
    Value& slot(quint64 hash)
    {
        if (10 * (m_size + 1) > 7 * qsizetype(m_keys.size()))
            grow();
        size_t i = hash & (m_keys.size() - 1);
        while (m_keys[i] != 0 && m_keys[i] != hash)
            i = (i + 1) & (m_keys.size() - 1);
        if (m_keys[i] == 0) {
            m_keys[i] = hash;
            ++m_size;
        }
        return m_values[i];
    }
    void grow()
    {
        std::vector<quint64> keys(std::max<size_t>(16, m_keys.size() * 2), 0);
        std::vector<Value> values(keys.size());
        for (size_t i = 0; i < m_keys.size(); ++i) {
            if (m_keys[i] == 0)
                continue;
            size_t j = m_keys[i] & (keys.size() - 1);
            while (keys[j] != 0)
                j = (j + 1) & (keys.size() - 1);
            keys[j] = m_keys[i];
            values[j] = m_values[i];
        }
        m_keys.swap(keys);
        m_values.swap(values);
    }

    std::vector<quint64> m_keys;
    std::vector<Value> m_values;
    qsizetype m_size = 0;
};
