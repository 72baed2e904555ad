#include "base/CsvField.h"

QString csvField(const QString& field)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    const QString text = !field.isEmpty() && formulaStarts.contains(field.front()) ? u'\'' + field : field;
    if (!text.contains(u'"') && !text.contains(u',') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}
