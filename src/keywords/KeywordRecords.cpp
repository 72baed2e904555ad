#include "keywords/KeywordRecords.h"

#include "base/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

const QString kHeader = QStringLiteral("keyword\tseed\tsource\tpass\tfound");

} // namespace

void KeywordRecords::add(const QString& keyword, KeywordRecord record)
{
    if (m_index.contains(keyword))
        return;
    m_index.insert(keyword, qsizetype(m_records.size()));
    m_records.emplace_back(keyword, std::move(record));
}

const KeywordRecord* KeywordRecords::find(QStringView keyword) const
{
    const auto it = m_index.constFind(keyword.toString());
    return it == m_index.cend() ? nullptr : &m_records[size_t(*it)].second;
}

void KeywordRecords::clear()
{
    m_records.clear();
    m_index.clear();
}

QByteArray KeywordRecords::toTsv() const
{
    QString text = kHeader + u'\n';
    for (const auto& [keyword, record] : m_records) {
        text += escaped(keyword) + u'\t' + escaped(record.seed) + u'\t' + escaped(record.source) + u'\t' +
                QString::number(record.pass) + u'\t' + record.found.toString(Qt::ISODate) + u'\n';
    }
    return text.toUtf8();
}

KeywordRecords KeywordRecords::fromTsv(QByteArrayView tsv)
{
    KeywordRecords records;
    const QString text = QString::fromUtf8(tsv);
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || (i == 0 && line == kHeader))
            continue;
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 5 || fields[0].isEmpty())
            continue;
        records.add(unescaped(fields[0]), {unescaped(fields[1]), unescaped(fields[2]), fields[3].toInt(),
                                           QDateTime::fromString(fields[4].toString(), Qt::ISODate)});
    }
    return records;
}

QString KeywordRecords::pathBeside(const QString& wordFile)
{
    const QFileInfo info(wordFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".sources.tsv"));
}

KeywordRecords KeywordRecords::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromTsv(file.readAll());
}

bool KeywordRecords::write(const QString& path, QString* error) const
{
    if (m_records.empty() && !QFile::exists(path))
        return true;
    return PrivateFiles::writeAtomically(path, toTsv(), error);
}
