#include "store/MaterialSnapshot.h"

#include "store/Sql.h"

#include <QSqlQuery>
#include <QVariant>
#include <cmath>

QString numberText(const QVariant& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok && value.typeId() != QMetaType::QString && std::isfinite(number) && number == std::trunc(number) &&
        std::abs(number) < 1e15)
        return QString::number(qint64(number));
    return value.toString();
}

MaterialSnapshot MaterialSnapshot::read(const QSqlDatabase& db)
{
    MaterialSnapshot snapshot;
    QSqlQuery query(db);
    query.setForwardOnly(true);

    if (query.exec(Sql::mainDomains())) {
        while (query.next()) {
            const QVariant url = query.value(0);
            if (url.isNull())
                continue;
            snapshot.domains.append(url.toString());
            snapshot.urlJoined += url.toString() + u"|*|";
        }
    }

    if (query.exec(Sql::identifierRows())) {
        while (query.next()) {
            IdentifierRow row;
            row.id = numberText(query.value(0));
            if (!query.isNull(1)) {
                row.biaoshi = query.value(1).toString();
                snapshot.biaoshiJoined += *row.biaoshi + u"|*|";
            }
            if (!query.isNull(2))
                row.number = numberText(query.value(2));
            row.viewEnabled = query.isNull(3) || query.value(3).toDouble() != 0;
            snapshot.rows.push_back(std::move(row));
        }
    }

    if (query.exec(Sql::contactRows()) && query.next()) {
        std::array<QString, 5> contact;
        for (int i = 0; i < 5; ++i)
            contact[i] = query.isNull(i) ? QStringLiteral("-") : query.value(i).toString();
        snapshot.contact = contact;
    }

    if (query.exec(Sql::materialRows()) && query.next()) {
        std::array<std::optional<QString>, 3> material;
        for (int i = 0; i < 3; ++i) {
            if (!query.isNull(i))
                material[i] = numberText(query.value(i));
        }
        snapshot.material = material;
    }
    return snapshot;
}
