#include "base/MaterialLines.h"

#include "base/CsvField.h"
#include "base/SiteNames.h"
#include "base/TextCodec.h"

#include <QSet>

namespace MaterialLines {

namespace {

// The cells of a spreadsheet row: at tabs, else at commas.
QList<QStringView> cellsOf(QStringView line)
{
    return line.split(line.contains(u'\t') ? u'\t' : u',');
}

} // namespace

qsizetype Plan::changedCount() const
{
    return std::count_if(accepted.cbegin(), accepted.cend(), [](const Row& row) { return row.changed; });
}

Plan plan(Kind kind, QStringView text, const QStringList& existing)
{
    Plan plan;
    QSet<QString> taken;
    taken.reserve(existing.size());
    for (const QString& value : existing)
        taken.insert(value.trimmed().toLower());
    int number = 0;
    for (QStringView line : text.tokenize(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QList<QStringView> cells = cellsOf(line);
        Row row;
        row.line = number;
        row.written = cells.first().trimmed().toString();
        const SiteNames::Checked checked =
            kind == Kind::Domains ? SiteNames::domain(row.written) : SiteNames::identifier(row.written);
        row.value = checked.value;
        row.changed = checked.verdict == SiteNames::Checked::Verdict::Changed;
        row.reason = checked.reason;
        if (kind == Kind::Identifiers && row.reason.isEmpty() && cells.size() > 1 && !cells[1].trimmed().isEmpty()) {
            const std::optional<int> count = SiteNames::siteCount(cells[1].toString());
            if (count)
                row.count = *count;
            else
                row.reason = QStringLiteral("数量要是 1 到 %1 的整数").arg(SiteNames::kMaxSiteCount);
        }
        if (row.reason.isEmpty() && taken.contains(row.value.toLower()))
            row.reason = QStringLiteral("已存在");
        if (!row.reason.isEmpty()) {
            plan.refused.append(row);
            continue;
        }
        taken.insert(row.value.toLower());
        plan.accepted.append(row);
    }
    return plan;
}

bool isMultiLine(QStringView text)
{
    int lines = 0;
    for (QStringView line : text.tokenize(u'\n')) {
        if (!line.trimmed().isEmpty() && ++lines > 1)
            return true;
    }
    return false;
}

QByteArray exportBytes(Kind kind, const QStringList& rows, bool csv)
{
    QString out;
    if (csv)
        out += kind == Kind::Domains ? QStringLiteral("\uFEFF一级域名\r\n") : QStringLiteral("\uFEFF标识,数量\r\n");
    for (const QString& row : rows) {
        const QStringList cells = row.split(u'\t');
        QStringList written;
        for (const QString& text : cells)
            written.append(csv ? csvField(text) : text);
        out += written.join(csv ? u',' : u'\t') + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

} // namespace MaterialLines
