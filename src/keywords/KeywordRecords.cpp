#include "keywords/KeywordRecords.h"

#include "base/PrivateFiles.h"
#include "keywords/KeywordSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <climits>
#include <limits>

namespace {

// Tabs and line ends would split a record: they are written escaped, as is the escape itself.
QString escaped(const QString& field)
{
    QString out;
    out.reserve(field.size());
    for (QChar c : field) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString unescaped(QStringView field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != u'\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const QChar next = field[++i];
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

// Files written before the expansion and the count were kept have the first five columns, and before
// the result counts the first seven.
const QString kHeader =
    QStringLiteral("keyword\tseed\tsource\tpass\tfound\texpansion\tcount\tresults_baidu\tresults_360\tresults_sogou");

// The times of a records file, written as local time without an offset. The offset is looked up once
// an hour of the file, not once a line: every look-up reads the system's zone file again, five seconds
// for a million lines.
class LocalTimes
{
public:
    QDateTime parse(QStringView text)
    {
        if (text.size() != 19 || text[10] != u'T')
            return QDateTime::fromString(text.toString(), Qt::ISODate); // with an offset, or nothing
        const QDate date = QDate::fromString(text.first(10), Qt::ISODate);
        const QTime time = QTime::fromString(text.sliced(11), Qt::ISODate);
        if (!date.isValid() || !time.isValid())
            return {};
        const qint64 hour = date.toJulianDay() * 24 + time.hour();
        if (hour != m_hour) {
            m_hour = hour;
            m_offset = QDateTime(date, QTime(time.hour(), 0), Qt::LocalTime).offsetFromUtc();
        }
        return QDateTime(date, time, Qt::UTC).addSecs(-m_offset);
    }

private:
    qint64 m_hour = std::numeric_limits<qint64>::min();
    int m_offset = 0;
};

QString resultText(std::optional<qint64> results)
{
    return results ? QString::number(*results) : QString();
}

// A figure as written; none for an empty field or anything but digits.
std::optional<qint64> resultField(QStringView field)
{
    bool ok = false;
    const qint64 results = field.toLongLong(&ok);
    return ok && results >= 0 ? std::optional(results) : std::nullopt;
}

} // namespace

std::optional<quint32> KeywordRecords::seedIndex(const QString& seed, const QString& expansion)
{
    auto known = m_expansionIndex.constFind(expansion);
    if (known == m_expansionIndex.cend()) {
        if (m_expansions.size() >= kMaxExpansions)
            return std::nullopt;
        m_expansions.append(expansion);
        known = m_expansionIndex.insert(expansion, quint16(m_expansions.size() - 1));
    }
    const quint16 expansionIndex = *known;
    const quint32 last = quint32(m_seedStarts.size() - 1);
    if (m_seedStarts.empty() || m_seedExpansions[last] != expansionIndex || seedAt(last) != seed) {
        m_seedStarts.push_back(quint32(m_seedText.size()));
        m_seedExpansions.push_back(expansionIndex);
        m_seedText += seed;
    }
    return quint32(m_seedStarts.size() - 1);
}

QStringView KeywordRecords::seedAt(quint32 index) const
{
    const qsizetype start = m_seedStarts[index];
    const qsizetype end = index + 1 < m_seedStarts.size() ? qsizetype(m_seedStarts[index + 1]) : m_seedText.size();
    return QStringView(m_seedText).sliced(start, end - start);
}

bool KeywordRecords::add(QStringView keyword, const KeywordRecord& record)
{
    if (m_keywords.find(keyword))
        return false;
    qsizetype source = m_sources.indexOf(record.source);
    if (source < 0 && m_sources.size() < kMaxSources) {
        m_sources.append(record.source);
        source = m_sources.size() - 1;
    }
    const std::optional<quint32> seed = source < 0 ? std::nullopt : seedIndex(record.seed, record.expansion);
    if (!seed) {
        ++m_refused;
        return false;
    }
    const qsizetype known = m_keywords.size();
    if (m_keywords.insert(keyword) <= known)
        return false; // no room
    Packed packed;
    packed.seed = *seed;
    packed.found =
        record.found.isValid() ? quint32(std::clamp<qint64>(record.found.toSecsSinceEpoch(), 0, UINT_MAX)) : 0;
    packed.pass = quint32(std::max(record.pass, 0));
    packed.source = quint32(source);
    packed.count = quint32(std::clamp(record.count, 1, kMaxCount));
    m_records.push_back(packed);
    return true;
}

void KeywordRecords::countAgain(QStringView keyword)
{
    const quint32 index = m_keywords.find(keyword);
    if (!index)
        return;
    if (m_records[index - 1].count < kMaxCount)
        ++m_records[index - 1].count;
    else
        ++m_refused;
}

quint32* KeywordRecords::askedBits(QStringView text)
{
    const quint32 known = m_asked.insert(text);
    if (!known)
        return nullptr; // the table is full
    // Grown by a quarter, as the table of texts grows: a million seeds leave little unused.
    if (m_askedBits.capacity() < known)
        m_askedBits.reserve(std::max<size_t>(known, m_askedBits.size() + m_askedBits.size() / 4 + 1024));
    m_askedBits.resize(std::max(m_askedBits.size(), size_t(known)));
    return &m_askedBits[known - 1];
}

void KeywordRecords::markAsked(int source, QStringView text, QStringView seed)
{
    if (quint32* bits = askedBits(text))
        *bits |= 1u << source;
    if (quint32* bits = askedBits(seed))
        *bits |= 1u << (16 + source);
}

bool KeywordRecords::askedThisRun(int source, QStringView text) const
{
    const quint32 index = m_asked.find(text);
    return index && (m_askedBits[index - 1] & (1u << source));
}

bool KeywordRecords::askedBefore(int source, QStringView seed) const
{
    const quint32 index = m_asked.find(seed);
    return index && (m_askedBits[index - 1] & (1u << (16 + source)));
}

void KeywordRecords::startRun()
{
    for (quint32& bits : m_askedBits)
        bits &= 0xFFFF0000u;
}

void KeywordRecords::setResults(int engine, QStringView query, qint64 results)
{
    if (engine < 0 || engine >= kResultEngines || results < 0)
        return;
    const quint32* bits = askedBits(query);
    if (!bits)
        return;
    // The text's number in the table of asked texts, found once.
    const size_t index = size_t(bits - m_askedBits.data()) + 1;
    std::vector<quint32>& stated = m_results[size_t(engine)];
    if (stated.size() < index)
        stated.resize(std::max<size_t>(index, stated.size() + stated.size() / 4));
    stated[index - 1] = quint32(std::min<qint64>(results, UINT_MAX - 1)) + 1;
}

std::optional<qint64> KeywordRecords::results(int engine, QStringView query) const
{
    if (engine < 0 || engine >= kResultEngines)
        return std::nullopt;
    const std::vector<quint32>& stated = m_results[size_t(engine)];
    const quint32 index = stated.empty() ? 0 : m_asked.find(query);
    if (index == 0 || index > stated.size() || stated[index - 1] == 0)
        return std::nullopt;
    return qint64(stated[index - 1]) - 1;
}

std::optional<qint64> KeywordRecords::lowestResults(QStringView query) const
{
    std::optional<qint64> lowest;
    for (int engine = 0; engine < kResultEngines; ++engine) {
        const std::optional<qint64> stated = results(engine, query);
        if (stated && (!lowest || *stated < *lowest))
            lowest = stated;
    }
    return lowest;
}

QStringList KeywordRecords::path(QStringView keyword) const
{
    QStringList seeds;
    QSet<QStringView> seen{keyword};
    for (const Packed* packed = packedOf(keyword); packed; packed = packedOf(seeds.first())) {
        const QStringView seed = seedAt(packed->seed);
        if (seen.contains(seed))
            break; // a word that was a seed of its own seed's
        seen.insert(seed);
        seeds.prepend(seed.toString());
    }
    return seeds;
}

const KeywordRecords::Packed* KeywordRecords::packedOf(QStringView keyword) const
{
    const quint32 index = m_keywords.find(keyword);
    return index ? &m_records[index - 1] : nullptr;
}

std::optional<KeywordRecord> KeywordRecords::find(QStringView keyword) const
{
    const Packed* packed = packedOf(keyword);
    if (!packed)
        return std::nullopt;
    KeywordRecord record;
    record.seed = seedAt(packed->seed).toString();
    record.source = m_sources.value(packed->source);
    record.pass = packed->pass;
    record.expansion = m_expansions.value(m_seedExpansions[packed->seed]);
    record.count = packed->count;
    if (packed->found != 0)
        record.found = QDateTime::fromSecsSinceEpoch(packed->found);
    return record;
}

int KeywordRecords::passOf(QStringView keyword) const
{
    const Packed* packed = packedOf(keyword);
    return packed ? packed->pass : 0;
}

namespace {

// The keywords by a figure each, smallest first, in their order where it is the same.
template <typename Figure> QStringList sortedBy(const QStringList& keywords, Figure figure)
{
    std::vector<std::pair<qint64, qsizetype>> order; // figure, place
    order.reserve(keywords.size());
    for (qsizetype i = 0; i < keywords.size(); ++i)
        order.emplace_back(figure(keywords[i]), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList sorted;
    sorted.reserve(keywords.size());
    for (const auto& [count, place] : order)
        sorted.append(keywords[place]);
    return sorted;
}

} // namespace

QStringList KeywordRecords::sortedByCount(const QStringList& keywords) const
{
    return sortedBy(keywords, [this](const QString& keyword) {
        const Packed* packed = packedOf(keyword);
        return packed ? -qint64(packed->count) : 0;
    });
}

QStringList KeywordRecords::sortedByResults(const QStringList& keywords) const
{
    return sortedBy(keywords, [this](const QString& keyword) {
        return lowestResults(keyword).value_or(std::numeric_limits<qint64>::max());
    });
}

void KeywordRecords::clear()
{
    m_keywords.clear();
    m_records.clear();
    m_seedText.clear();
    m_seedStarts.clear();
    m_seedExpansions.clear();
    m_expansions = {QString()};
    m_expansionIndex = {{QString(), 0}};
    m_sources.clear();
    m_refused = 0;
    m_asked.clear();
    m_askedBits = {};
    m_results = {};
}

QByteArray KeywordRecords::toTsv(QStringView list) const
{
    QByteArray out = kHeader.toUtf8() + '\n';
    if (m_records.empty())
        return out;
    for (QStringView line : list.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const std::optional<KeywordRecord> record = find(line);
        if (!record)
            continue;
        out += (escaped(line.toString()) + u'\t' + escaped(record->seed) + u'\t' + escaped(record->source) + u'\t' +
                QString::number(record->pass) + u'\t' + record->found.toString(Qt::ISODate) + u'\t' +
                escaped(record->expansion) + u'\t' + QString::number(record->count) + u'\t' +
                resultText(results(0, line)) + u'\t' + resultText(results(1, line)) + u'\t' +
                resultText(results(2, line)) + u'\n')
                   .toUtf8();
    }
    return out;
}

KeywordRecords KeywordRecords::fromTsv(QByteArrayView tsv)
{
    KeywordRecords records;
    const QString text = QString::fromUtf8(tsv);
    LocalTimes times;
    bool first = true;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (std::exchange(first, false) && line.startsWith(u"keyword\tseed\t"))
            continue;
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 5 || fields[0].isEmpty())
            continue;
        const int count = fields.size() > 6 ? fields[6].toInt() : 1;
        const QString keyword = unescaped(fields[0]);
        for (int engine = 0; engine < kResultEngines && 7 + engine < fields.size(); ++engine) {
            if (const std::optional<qint64> results = resultField(fields[7 + engine]))
                records.setResults(engine, keyword, *results);
        }
        records.add(keyword, {unescaped(fields[1]), unescaped(fields[2]), fields[3].toInt(), times.parse(fields[4]),
                              fields.size() > 5 ? unescaped(fields[5]) : QString(), count > 0 ? count : 1});
    }
    return records;
}

QString KeywordRecords::pathBeside(const QString& wordFile)
{
    const QFileInfo info(wordFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".sources.tsv"));
}

QString KeywordRecords::askedPathBeside(const QString& recordsFile)
{
    const QFileInfo info(recordsFile);
    QString base = info.completeBaseName();
    if (base.endsWith(u".sources"))
        base.chop(8);
    return info.dir().filePath(base + QStringLiteral(".asked.tsv"));
}

KeywordRecords KeywordRecords::read(const QString& path)
{
    QFile file(path);
    KeywordRecords records = file.open(QIODevice::ReadOnly) ? fromTsv(file.readAll()) : KeywordRecords();
    QFile asked(askedPathBeside(path));
    if (asked.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(asked.readAll());
        // source, seed and, from a source whose pages state it, the results its engine said it holds
        for (QStringView line : QStringView(text).tokenize(u'\n')) {
            const QList<QStringView> fields = line.split(u'\t');
            const KeywordSource* source = fields.size() > 1 ? KeywordSource::find(fields[0]) : nullptr;
            if (!source)
                continue;
            const QString seed = unescaped(fields[1]);
            if (quint32* bits = records.askedBits(seed))
                *bits |= 1u << (16 + KeywordSource::indexOf(*source));
            if (const std::optional<qint64> results = fields.size() > 2 ? resultField(fields[2]) : std::nullopt)
                records.setResults(source->resultEngine(), seed, *results);
        }
    }
    return records;
}

bool KeywordRecords::write(const QString& path, QStringView list, QString* error) const
{
    if (m_records.empty() && m_askedBits.empty() && !QFile::exists(path))
        return true;
    QByteArray asked;
    const QList<KeywordSource>& sources = KeywordSource::all();
    for (quint32 i = 1; i <= quint32(m_asked.size()); ++i) {
        const quint32 pairs = m_askedBits[i - 1] >> 16;
        if (!pairs)
            continue;
        const QString text = m_asked.text(i);
        const QByteArray seed = escaped(text).toUtf8();
        for (int source = 0; source < sources.size(); ++source) {
            if (!(pairs & (1u << source)))
                continue;
            asked += sources[source].name.toUtf8() + '\t' + seed;
            if (const std::optional<qint64> stated = results(sources[source].resultEngine(), text))
                asked += '\t' + QByteArray::number(*stated);
            asked += '\n';
        }
    }
    return PrivateFiles::writeAtomically(askedPathBeside(path), asked, error) &&
           PrivateFiles::writeAtomically(path, toTsv(list), error);
}
