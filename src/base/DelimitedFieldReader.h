#pragma once

#include <QString>
#include <QStringView>

// Reads the fields of a comma-delimited text the way keyword and address files are written:
// a field ends at a comma or a line end (CR LF, LF or CR), blanks before a field are skipped, a field
// that opens with a double quote runs to the next double quote and may hold commas, and a blank line
// is one empty field. Fields are views into the text, so a million of them cost no copies.
class DelimitedFieldReader
{
public:
    explicit DelimitedFieldReader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next field; call only while !atEnd().
    QStringView next();
    qsizetype position() const { return m_pos; }

    static QStringList readAll(QStringView text);

private:
    void skipDelimiter();

    QStringView m_text;
    qsizetype m_pos = 0;
};
