#include "keywords/KeywordExport.h"

#include "base/PrivateFiles.h"
#include "keywords/KeywordRecords.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace KeywordExport {

namespace {

// A field as RFC 4180 has it: quoted when it holds a quote, a separator or a line end.
QString csvField(const QString& field)
{
    if (!field.contains(u'"') && !field.contains(u',') && !field.contains(u'\n') && !field.contains(u'\r'))
        return field;
    return u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

// Excel's limit of rows on one sheet, the header's included.
constexpr qsizetype kXlsxRows = 1048576;

bool writeXlsx(const QString& path, const QStringList& keywords, const KeywordRecords& records, QString* error)
{
    if (keywords.size() + 1 > kXlsxRows) {
        if (error)
            *error = QStringLiteral("XLSX 表格最多 %1 行，列表有 %2 行；请导出为 CSV 或 TXT")
                         .arg(kXlsxRows - 1)
                         .arg(keywords.size());
        return false;
    }
    // Written row by row to a file of its own, then moved into place: a failed export leaves no half
    // file where the user asked for one.
    QTemporaryDir work(QFileInfo(path).absolutePath() + QStringLiteral("/.export-XXXXXX"));
    if (!work.isValid()) {
        if (error)
            *error = work.errorString();
        return false;
    }
    const QByteArray temporary = QFile::encodeName(work.filePath(QStringLiteral("export.xlsx")));
    const QByteArray workDir = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(workDir.constData());
    lxw_workbook* book = workbook_new_opt(temporary.constData(), &options);
    if (!book) {
        if (error)
            *error = QStringLiteral("无法建立表格文件");
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, "关键词");
    lxw_format* timeFormat = workbook_add_format(book);
    format_set_num_format(timeFormat, "yyyy-mm-dd hh:mm:ss");
    const QStringList columns = header();
    for (int column = 0; column < columns.size(); ++column)
        worksheet_write_string(sheet, 0, lxw_col_t(column), columns[column].toUtf8().constData(), nullptr);
    for (qsizetype i = 0; i < keywords.size(); ++i) {
        const lxw_row_t row = lxw_row_t(i + 1);
        worksheet_write_string(sheet, row, 0, keywords[i].toUtf8().constData(), nullptr);
        const std::optional<KeywordRecord> record = records.find(keywords[i]);
        if (!record)
            continue;
        worksheet_write_string(sheet, row, 1, record->seed.toUtf8().constData(), nullptr);
        worksheet_write_string(sheet, row, 2, record->source.toUtf8().constData(), nullptr);
        worksheet_write_number(sheet, row, 3, record->pass, nullptr);
        if (record->found.isValid()) {
            const QDateTime t = record->found.toLocalTime();
            lxw_datetime when{t.date().year(), t.date().month(),  t.date().day(),
                              t.time().hour(), t.time().minute(), double(t.time().second())};
            worksheet_write_datetime(sheet, row, 4, &when, timeFormat);
        }
    }
    worksheet_set_column(sheet, 0, 2, 24, nullptr);
    worksheet_set_column(sheet, 4, 4, 20, nullptr);
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        if (error)
            *error = QString::fromUtf8(lxw_strerror(closed));
        return false;
    }
    QFile made(QString::fromLocal8Bit(temporary));
    if (!made.open(QIODevice::ReadOnly)) {
        if (error)
            *error = made.errorString();
        return false;
    }
    return PrivateFiles::writeAtomically(path, made.readAll(), error);
}

} // namespace

std::optional<Format> formatOf(const QString& path)
{
    return formatNamed(QFileInfo(path).suffix().toLower());
}

std::optional<Format> formatNamed(QStringView name)
{
    if (name == u"txt")
        return Format::Text;
    if (name == u"csv")
        return Format::Csv;
    if (name == u"xlsx")
        return Format::Xlsx;
    return std::nullopt;
}

QStringList header()
{
    return {QStringLiteral("关键词"), QStringLiteral("来源词"), QStringLiteral("来源"), QStringLiteral("轮次"),
            QStringLiteral("时间")};
}

QByteArray csv(const QStringList& keywords, const KeywordRecords& records)
{
    QString out = header().join(u',') + QStringLiteral("\r\n");
    for (const QString& keyword : keywords) {
        out += csvField(keyword);
        if (const std::optional<KeywordRecord> record = records.find(keyword)) {
            out += u',' + csvField(record->seed) + u',' + csvField(record->source) + u',' +
                   QString::number(record->pass) + u',' + timeText(record->found);
        } else {
            out += QStringLiteral(",,,,");
        }
        out += QStringLiteral("\r\n");
    }
    return "\xEF\xBB\xBF" + out.toUtf8();
}

QByteArray text(const QStringList& keywords)
{
    QByteArray out;
    for (const QString& keyword : keywords)
        out += keyword.toUtf8() + "\r\n";
    return out;
}

bool write(const QString& path, Format format, const QStringList& keywords, const KeywordRecords& records,
           QString* error)
{
    switch (format) {
    case Format::Text:
        return PrivateFiles::writeAtomically(path, text(keywords), error);
    case Format::Csv:
        return PrivateFiles::writeAtomically(path, csv(keywords, records), error);
    case Format::Xlsx:
        return writeXlsx(path, keywords, records, error);
    }
    return false;
}

} // namespace KeywordExport
