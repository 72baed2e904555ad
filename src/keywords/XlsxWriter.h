#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// One row of an exported sheet: a keyword, where it came from (pass -1: no record) and the results each
// engine said it holds.
struct XlsxRow
{
    QString keyword;
    QString seed;
    QString source;
    int pass = -1;
    QDateTime found;
    QString expansion;
    int count = 0;
    std::array<qint64, 3> results{-1, -1, -1}; // per engine; -1: not stated
    QString path;
};

// The entry point of the module quillon_xlsx (libxlsxwriter): writes one sheet with the header and the
// rows to path (a new file readable by the user alone), or says why not.
extern "C" {
using WriteXlsxFunction = bool (*)(const QString& path, const QStringList& header, const QList<XlsxRow>& rows,
                                   QString* error);
}
#define QUILLON_WRITE_XLSX "quillon_write_xlsx"
