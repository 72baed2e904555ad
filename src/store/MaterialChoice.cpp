#include "store/MaterialChoice.h"

#include "store/Sql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <limits>

bool MaterialChoice::read(const QSqlDatabase& db, MaterialChoice* choice)
{
    QSqlQuery query(db);
    if (!query.exec(Sql::materialRows()) || !query.next())
        return false;
    choice->title = query.isNull(0) ? QVariant(0) : query.value(0);
    choice->body = query.isNull(1) ? QVariant(0) : query.value(1);
    bool ok = false;
    const int hang = query.value(2).toInt(&ok);
    if (!query.isNull(2) && ok && hang >= std::numeric_limits<qint16>::min() &&
        hang <= std::numeric_limits<qint16>::max())
        choice->hang = qint16(hang);
    return true;
}

QString MaterialChoice::write(const QSqlDatabase& db) const
{
    QSqlQuery query(db);
    if (!query.exec(Sql::firstMaterialId()))
        return query.lastError().text();
    const bool exists = query.next();
    const QVariant id = exists ? query.value(0) : QVariant();
    query.finish();
    if (exists) {
        query.prepare(Sql::updateMaterial());
    } else {
        // A store without its material row gets one, or the choice could never be kept.
        query.prepare(Sql::insertMaterial());
    }
    query.addBindValue(title);
    query.addBindValue(body);
    query.addBindValue(int(hang));
    if (exists)
        query.addBindValue(id);
    if (!query.exec())
        return query.lastError().text();
    return {};
}
