#pragma once

#include <QString>

// The fixed statements the windows issue against the local store, exactly as the windows use them.
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
    return QStringLiteral("select id,State from biao where id=");
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
inline QString keywordSeeds()
{
    return QStringLiteral("select id,Word from Word Order by id");
}

} // namespace Sql
