#include "keywords/KeywordExport.h"

#include "base/CsvField.h"
#include "base/ModuleLoader.h"
#include "base/PrivateFiles.h"
#include "keywords/KeywordRecords.h"
#include "keywords/RecoveryFile.h"
#include "keywords/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace KeywordExport {

namespace {

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QString resultText(const KeywordRecords& records, int engine, const QString& keyword)
{
    const std::optional<qint64> results = records.results(engine, keyword);
    return results ? QString::number(*results) : QString();
}

// A keyword's seeds from the table's on, as one cell.
QString pathText(const KeywordRecords& records, const QString& keyword)
{
    return records.path(keyword).join(QStringLiteral(" > "));
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
    // The workbook writer is a module of its own, loaded with the first XLSX export: a start of the
    // program never loads it.
    static QString loadError; // kept with the cached result, so every failed export can say why
    static const auto write = reinterpret_cast<WriteXlsxFunction>(
        ModuleLoader::resolve(QStringLiteral("quillon_xlsx"), QUILLON_WRITE_XLSX, &loadError));
    if (!write) {
        if (error)
            *error = u"表格组件（quillon_xlsx）无法载入：" + loadError;
        return false;
    }
    QList<XlsxRow> rows;
    rows.reserve(keywords.size());
    for (const QString& keyword : keywords) {
        XlsxRow row{keyword, {}, {}, -1, {}};
        if (const std::optional<KeywordRecord> record = records.find(keyword))
            row = {keyword,
                   record->seed,
                   record->source,
                   record->pass,
                   record->found,
                   record->expansion,
                   record->count,
                   {},
                   pathText(records, keyword)};
        for (int engine = 0; engine < KeywordRecords::kResultEngines; ++engine)
            row.results[size_t(engine)] = records.results(engine, keyword).value_or(-1);
        rows.append(row);
    }
    QString writeError;
    if (!write(path, header(), rows, &writeError)) {
        if (error)
            *error = writeError;
        return false;
    }
    return true;
}

} // namespace

QString targetProblem(const QString& path, const QString& programFolder)
{
    const QFileInfo target(path);
    const QString where = target.canonicalFilePath().isEmpty() ? target.absoluteFilePath() : target.canonicalFilePath();
    const QString wordFile = QDir(programFolder).filePath(QStringLiteral("word.txt"));
    for (const QString& file :
         {wordFile, QDir(programFolder).filePath(RecoveryFile::fileName()), KeywordRecords::pathBeside(wordFile),
          KeywordRecords::askedPathBeside(KeywordRecords::pathBeside(wordFile)), QString(wordFile + u".lock")}) {
        const QFileInfo listFile(file);
        const QString name = listFile.fileName();
        if (where == listFile.absoluteFilePath() ||
            (!listFile.canonicalFilePath().isEmpty() && where == listFile.canonicalFilePath()))
            return u"不能导出到 " + name +
                   u"：它是程序文件夹里关键词列表自己的文件，导出会把列表盖掉。请换一个文件名。";
    }
    return {};
}

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
    return {QStringLiteral("关键词"),      QStringLiteral("来源词"),      QStringLiteral("来源"),
            QStringLiteral("轮次"),        QStringLiteral("时间"),        QStringLiteral("扩展"),
            QStringLiteral("次数"),        QStringLiteral("结果数·百度"), QStringLiteral("结果数·360"),
            QStringLiteral("结果数·搜狗"), QStringLiteral("路径")};
}

QByteArray csv(const QStringList& keywords, const KeywordRecords& records)
{
    QString out = header().join(u',') + QStringLiteral("\r\n");
    for (const QString& keyword : keywords) {
        out += csvField(keyword);
        if (const std::optional<KeywordRecord> record = records.find(keyword)) {
            out += u',' + csvField(record->seed) + u',' + csvField(record->source) + u',' +
                   QString::number(record->pass) + u',' + timeText(record->found) + u',' + csvField(record->expansion) +
                   u',' + QString::number(record->count);
        } else {
            out += QStringLiteral(",,,,,,");
        }
        for (int engine = 0; engine < KeywordRecords::kResultEngines; ++engine)
            out += u',' + resultText(records, engine, keyword);
        out += u',' + csvField(pathText(records, keyword));
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
