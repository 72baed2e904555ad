#include "store/StoreQueries.h"

#include "base/TextRules.h"
#include "store/Sql.h"

#include <QSqlQuery>
#include <QVariant>

namespace StoreQueries {

QStringList keywordSeeds(const QSqlDatabase& db)
{
    QStringList seeds;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(Sql::keywordSeeds())) {
        while (query.next())
            seeds.append(TextRules::trimmed(query.value(1).toString()));
    }
    return seeds;
}

bool markIdentifierGenerated(const QSqlDatabase& db, qint64 id)
{
    QSqlQuery query(db);
    query.prepare(Sql::identifierById());
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        return false;
    query.finish();
    QSqlQuery update(db);
    update.prepare(Sql::markIdentifierGenerated());
    update.addBindValue(id);
    return update.exec();
}

} // namespace StoreQueries
