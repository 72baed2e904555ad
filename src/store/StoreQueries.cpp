#include "store/StoreQueries.h"

#include "base/TextRules.h"
#include "store/Sql.h"

#include <QSqlError>
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

namespace {

// Runs one statement a row inside a transaction, rolled back at the first failure.
template <typename Bind>
bool addAll(const QSqlDatabase& db, const QString& statement, qsizetype rows, Bind bind, QString* error)
{
    QSqlDatabase connection = db;
    auto fail = [&](const QSqlError& why) {
        if (error)
            *error = why.text();
        return false;
    };
    if (!connection.transaction())
        return fail(connection.lastError());
    QSqlQuery query(connection);
    if (!query.prepare(statement)) {
        connection.rollback();
        return fail(query.lastError());
    }
    for (qsizetype i = 0; i < rows; ++i) {
        bind(query, i);
        if (!query.exec()) {
            const QSqlError why = query.lastError();
            query.finish();
            connection.rollback();
            return fail(why);
        }
    }
    query.finish();
    if (!connection.commit()) {
        const QSqlError why = connection.lastError();
        connection.rollback();
        return fail(why);
    }
    return true;
}

} // namespace

bool addDomains(const QSqlDatabase& db, const QStringList& domains, QString* error)
{
    return addAll(
        db, Sql::insertDomain(), domains.size(), [&](QSqlQuery& query, qsizetype i) { query.bindValue(0, domains[i]); },
        error);
}

bool addIdentifiers(const QSqlDatabase& db, const QList<std::pair<QString, int>>& identifiers, QString* error)
{
    return addAll(
        db, Sql::insertIdentifier(), identifiers.size(),
        [&](QSqlQuery& query, qsizetype i) {
            query.bindValue(0, identifiers[i].first);
            query.bindValue(1, identifiers[i].second);
        },
        error);
}

} // namespace StoreQueries
