#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

// The site material as the main window shows it, read from the store in one go with the four fixed
// queries. A Null value stays "no value" here; what the view does with it is the view's rule.
struct MaterialSnapshot
{
    struct IdentifierRow
    {
        QString id;
        std::optional<QString> biaoshi;
        std::optional<QString> number;
        bool viewEnabled = false; // state is not 0 (a Null state counts as requested)
    };

    QStringList domains;
    QString urlJoined; // every domain followed by "|*|"
    std::vector<IdentifierRow> rows;
    QString biaoshiJoined; // every identifier followed by "|*|"
    // Company, address, telephone, QQ, introduction of the first config row, Null as "-".
    std::optional<std::array<QString, 5>> contact;
    // title, body, hang of the first suiji row as decimal text (a Null one as no value).
    std::optional<std::array<std::optional<QString>, 3>> material;

    static MaterialSnapshot read(const QSqlDatabase& db);
};

// Text of a number as the views show it: whole numbers without a fraction.
QString numberText(const QVariant& value);
