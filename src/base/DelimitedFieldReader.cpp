#include "base/DelimitedFieldReader.h"

#include <QStringList>

namespace {
bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

QStringView DelimitedFieldReader::next()
{
    const qsizetype size = m_text.size();
    while (m_pos < size && isBlank(m_text[m_pos]))
        ++m_pos;

    QStringView field;
    if (m_pos < size && m_text[m_pos] == u'"') {
        const qsizetype start = m_pos + 1;
        qsizetype close = m_text.indexOf(u'"', start);
        if (close < 0)
            close = size;
        field = m_text.mid(start, close - start);
        m_pos = close + 1;
        // Whatever follows the closing quote up to the delimiter is not part of the field.
        while (m_pos < size && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
            ++m_pos;
        qsizetype end = m_pos;
        while (end > start && isBlank(m_text[end - 1]))
            --end;
        field = m_text.mid(start, end - start);
    }
    skipDelimiter();
    return field;
}

void DelimitedFieldReader::skipDelimiter()
{
    const qsizetype size = m_text.size();
    if (m_pos >= size)
        return;
    if (m_text[m_pos] == u',') {
        // A comma right before a line end leaves one empty field, which that line end closes.
        ++m_pos;
        return;
    }
    if (m_text[m_pos] == u'\r' && m_pos + 1 < size && m_text[m_pos + 1] == u'\n')
        m_pos += 2;
    else
        ++m_pos;
}

QStringList DelimitedFieldReader::readAll(QStringView text)
{
    QStringList fields;
    DelimitedFieldReader reader(text);
    while (!reader.atEnd())
        fields.append(reader.next().toString());
    return fields;
}
