#pragma once

#include <QString>

// Every statement the program issues against the local store. Values are always bound ("?"), never
// joined into the text.
namespace Sql {

inline QString mainDomains()
{
    return QStringLiteral("select url from url Order by id");
}
inline QString identifierRows()
{
    return QStringLiteral("select id,biaoshi,number,state from biao Order by id");
}
inline QString contactRows()
{
    return QStringLiteral("select title,address,tel,qq,about from config Order by id");
}
inline QString materialRows()
{
    return QStringLiteral("select title,body,hang from suiji Order by id");
}
inline QString identifierById()
{
    return QStringLiteral("select id,State from biao where id=?");
}
inline QString markIdentifierGenerated()
{
    return QStringLiteral("update biao set State=1 where id=?");
}
inline QString identifierEditor()
{
    return QStringLiteral("select id,biaoshi,number from biao Order by id");
}
inline QString domainEditor()
{
    return QStringLiteral("select id,url from url Order by id");
}
inline QString relatedInformation()
{
    return QStringLiteral("select id,title,Address,tel,qq,about from config Order by id");
}
inline QString insertDomain()
{
    return QStringLiteral("insert into url (url) values (?)");
}
inline QString insertIdentifier()
{
    return QStringLiteral("insert into biao (biaoshi, number, state) values (?, ?, 0)");
}
inline QString keywordSeeds()
{
    return QStringLiteral("select id,Word from Word Order by id");
}
inline QString firstMaterialId()
{
    return QStringLiteral("select id from suiji order by id limit 1");
}
inline QString updateMaterial()
{
    return QStringLiteral("update suiji set title = ?, body = ?, hang = ? where id = ?");
}
inline QString insertMaterial()
{
    return QStringLiteral("insert into suiji (title, body, hang) values (?, ?, ?)");
}

} // namespace Sql
