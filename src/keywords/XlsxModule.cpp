// The module quillon_xlsx: XLSX export through libxlsxwriter, loaded with the first XLSX export.
#include "base/PrivateFiles.h"
#include "keywords/XlsxWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <xlsxwriter.h>

extern "C" Q_DECL_EXPORT bool quillon_write_xlsx(const QString& path, const QStringList& header,
                                                 const QList<XlsxRow>& rows, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // Written row by row to a file of its own, then moved into place: a failed export leaves no half
    // file where the user asked for one.
    QTemporaryDir work(QFileInfo(path).absolutePath() + QStringLiteral("/.export-XXXXXX"));
    if (!work.isValid())
        return fail(work.errorString());
    const QByteArray temporary = QFile::encodeName(work.filePath(QStringLiteral("export.xlsx")));
    const QByteArray workDir = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(workDir.constData());
    lxw_workbook* book = workbook_new_opt(temporary.constData(), &options);
    if (!book)
        return fail(QStringLiteral("无法建立表格文件"));
    lxw_worksheet* sheet = workbook_add_worksheet(book, "关键词");
    lxw_format* timeFormat = workbook_add_format(book);
    format_set_num_format(timeFormat, "yyyy-mm-dd hh:mm:ss");
    for (int column = 0; column < header.size(); ++column)
        worksheet_write_string(sheet, 0, lxw_col_t(column), header[column].toUtf8().constData(), nullptr);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const XlsxRow& row = rows[i];
        const lxw_row_t at = lxw_row_t(i + 1);
        worksheet_write_string(sheet, at, 0, row.keyword.toUtf8().constData(), nullptr);
        if (row.pass < 0)
            continue;
        worksheet_write_string(sheet, at, 1, row.seed.toUtf8().constData(), nullptr);
        worksheet_write_string(sheet, at, 2, row.source.toUtf8().constData(), nullptr);
        worksheet_write_number(sheet, at, 3, row.pass, nullptr);
        if (row.found.isValid()) {
            const QDateTime t = row.found.toLocalTime();
            lxw_datetime when{t.date().year(), t.date().month(),  t.date().day(),
                              t.time().hour(), t.time().minute(), double(t.time().second())};
            worksheet_write_datetime(sheet, at, 4, &when, timeFormat);
        }
    }
    worksheet_set_column(sheet, 0, 2, 24, nullptr);
    worksheet_set_column(sheet, 4, 4, 20, nullptr);
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        return fail(QString::fromUtf8(lxw_strerror(closed)));
    QFile made(QString::fromLocal8Bit(temporary));
    if (!made.open(QIODevice::ReadOnly))
        return fail(made.errorString());
    return PrivateFiles::writeAtomically(path, made.readAll(), error);
}
