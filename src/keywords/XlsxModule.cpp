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
    // A cell the writer refuses (a text over Excel's 32,767 characters) fails the export with the row and
    // the reason, rather than leaving the cell empty.
    lxw_error written = LXW_NO_ERROR;
    qsizetype failedRow = 0;
    auto check = [&](lxw_error result, qsizetype row) {
        if (result != LXW_NO_ERROR && written == LXW_NO_ERROR) {
            written = result;
            failedRow = row;
        }
    };
    auto writeText = [&](lxw_row_t at, lxw_col_t column, const QString& text) {
        check(worksheet_write_string(sheet, at, column, text.toUtf8().constData(), nullptr), qsizetype(at));
    };
    for (int column = 0; column < header.size(); ++column)
        writeText(0, lxw_col_t(column), header[column]);
    for (qsizetype i = 0; i < rows.size() && written == LXW_NO_ERROR; ++i) {
        const XlsxRow& row = rows[i];
        const lxw_row_t at = lxw_row_t(i + 1);
        writeText(at, 0, row.keyword);
        for (size_t engine = 0; engine < row.results.size(); ++engine) {
            if (row.results[engine] >= 0)
                check(worksheet_write_number(sheet, at, lxw_col_t(7 + engine), double(row.results[engine]), nullptr),
                      i + 1);
        }
        if (row.pass < 0)
            continue;
        writeText(at, 1, row.seed);
        writeText(at, 2, row.source);
        check(worksheet_write_number(sheet, at, 3, row.pass, nullptr), i + 1);
        if (row.found.isValid()) {
            const QDateTime t = row.found.toLocalTime();
            lxw_datetime when{t.date().year(), t.date().month(),  t.date().day(),
                              t.time().hour(), t.time().minute(), double(t.time().second())};
            check(worksheet_write_datetime(sheet, at, 4, &when, timeFormat), i + 1);
        }
        writeText(at, 5, row.expansion);
        check(worksheet_write_number(sheet, at, 6, row.count, nullptr), i + 1);
        writeText(at, 10, row.path);
    }
    if (written != LXW_NO_ERROR) {
        workbook_close(book);
        return fail(QStringLiteral("表格第 %1 行写不进去：%2")
                        .arg(failedRow + 1)
                        .arg(written == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED
                                 ? QStringLiteral("文字超过 Excel 单元格的 32767 个字符")
                                 : QString::fromUtf8(lxw_strerror(written))));
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
