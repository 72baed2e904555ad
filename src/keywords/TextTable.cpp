#include "keywords/TextTable.h"

#include <algorithm>

namespace {
// The hash's high 32 bits spread over any table size.
size_t home(size_t hash, size_t size)
{
    return size_t((quint64(hash) >> 32) * size >> 32);
}

// Grows a container by a quarter at a time: a million texts leave a few MiB unused, not as many as they
// take.
template <typename Container> void makeRoom(Container& container, qsizetype more)
{
    const qsizetype size = qsizetype(container.size());
    if (qsizetype(container.capacity()) < size + more)
        container.reserve(std::max(size + more, size + size / 4 + 1024));
}
} // namespace

QStringView TextTable::ownPart(size_t entry) const
{
    const qsizetype start = m_starts[entry];
    const qsizetype end = entry + 1 < m_starts.size() ? qsizetype(m_starts[entry + 1]) : m_own.size();
    return QStringView(m_own).sliced(start, end - start);
}

// Text n is the first shared(n) characters of text n - 1 followed by its own: the text is compared from
// its end, part by part, back to the start.
bool TextTable::isText(quint32 index, QStringView text) const
{
    size_t entry = index - 1;
    if (m_shared[entry] + ownPart(entry).size() != text.size())
        return false;
    for (qsizetype open = text.size(); open > 0; --entry) {
        const qsizetype shared = m_shared[entry];
        if (open > shared) {
            const QStringView own = ownPart(entry);
            if (own.size() < open - shared || text.sliced(shared, open - shared) != own.first(open - shared))
                return false;
            open = shared;
        }
    }
    return true;
}

QString TextTable::text(quint32 index) const
{
    size_t entry = index - 1;
    QString text(m_shared[entry] + ownPart(entry).size(), Qt::Uninitialized);
    for (qsizetype open = text.size(); open > 0; --entry) {
        const qsizetype shared = m_shared[entry];
        if (open > shared) {
            std::copy_n(ownPart(entry).data(), open - shared, text.data() + shared);
            open = shared;
        }
    }
    return text;
}

size_t TextTable::slotOf(QStringView text, size_t hash) const
{
    const quint32 bits = slotFor(hash, 0);
    size_t i = home(hash, m_slots.size());
    while (m_slots[i] != 0 && ((m_slots[i] & ~kMaxIndex) != bits || !isText(m_slots[i] & kMaxIndex, text)))
        i = i + 1 == m_slots.size() ? 0 : i + 1;
    return i;
}

void TextTable::place(std::vector<quint32>& table, size_t hash, quint32 index) const
{
    size_t i = home(hash, table.size());
    while (table[i] != 0)
        i = i + 1 == table.size() ? 0 : i + 1;
    table[i] = slotFor(hash, index);
}

quint32 TextTable::find(QStringView text) const
{
    if (m_slots.empty())
        return 0;
    return m_slots[slotOf(text, hashOf(text))] & kMaxIndex;
}

quint32 TextTable::insert(QStringView text)
{
    if (10 * (m_starts.size() + 1) > 8 * m_slots.size())
        grow();
    const size_t hash = hashOf(text);
    const size_t slot = slotOf(text, hash);
    if (m_slots[slot] != 0)
        return m_slots[slot] & kMaxIndex;
    if (m_starts.size() >= kMaxIndex)
        return 0;
    qsizetype shared = 0;
    if (m_starts.size() % kWholeEvery != 0) {
        const qsizetype most = std::min<qsizetype>({text.size(), m_last.size(), 255});
        while (shared < most && text[shared] == m_last[shared])
            ++shared;
    }
    makeRoom(m_own, text.size() - shared);
    makeRoom(m_starts, 1);
    makeRoom(m_shared, 1);
    m_starts.push_back(quint32(m_own.size()));
    m_shared.push_back(quint8(shared));
    m_own += text.sliced(shared);
    m_last = text.toString();
    m_slots[slot] = slotFor(hash, quint32(m_starts.size()));
    return quint32(m_starts.size());
}

void TextTable::clear()
{
    *this = TextTable();
}

// A slot keeps too few bits of the hash to place it anew: the texts are rebuilt, in order, and hashed
// again.
void TextTable::grow()
{
    std::vector<quint32> table(std::max<size_t>(16, m_slots.size() + m_slots.size() / 2), 0);
    QString text;
    for (size_t entry = 0; entry < m_starts.size(); ++entry) {
        text.truncate(m_shared[entry]);
        text += ownPart(entry);
        place(table, hashOf(text), quint32(entry + 1));
    }
    m_slots.swap(table);
}
