#include "odbc/OdbcCatalog.h"

#include <sql.h>
#include <sqlext.h>

void OdbcCatalog::removeAdjacentDuplicates(QStringList& list)
{
    qsizetype i = 0;
    while (i + 1 < list.size()) {
        if (list[i] == list[i + 1])
            list.removeAt(i);
        else
            ++i;
    }
}

OdbcCatalog OdbcCatalog::GetDSNsAndDrivers()
{
    OdbcCatalog catalog;
    catalog.dataSources.append(QStringLiteral("(None)"));
    SQLHENV environment = SQL_NULL_HENV;
    if (SQLAllocEnv(&environment) == SQL_ERROR)
        return catalog;
    SQLRETURN result = SQL_SUCCESS;
    do {
        SQLCHAR name[1024];
        SQLCHAR description[1024];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        result = SQLDataSources(environment, SQL_FETCH_NEXT, name, sizeof name, &nameLength, description,
                                sizeof description, &descriptionLength);
        if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO)
            break;
        const QString source =
            QString::fromLocal8Bit(reinterpret_cast<const char*>(name), std::min<int>(nameLength, sizeof name - 1));
        if (!source.trimmed().isEmpty()) {
            catalog.dataSources.append(source);
            catalog.drivers.append(QString::fromLocal8Bit(reinterpret_cast<const char*>(description),
                                                          std::min<int>(descriptionLength, sizeof description - 1)));
        }
    } while (true);
    SQLFreeEnv(environment);
    if (catalog.drivers.size() > 1)
        removeAdjacentDuplicates(catalog.drivers);
    return catalog;
}

namespace OdbcConnect {

QString providerString(const Values& values)
{
    QString source;
    QString connect;
    if (values.dataSourceIndex > 0)
        source = u"DSN=" + values.dataSource + u";";
    else
        connect = u"Driver=" + values.driver + u";" + u"Server=" + values.server + u";";
    connect += u"UID=" + values.uid + u";";
    connect += u"PWD=" + values.pwd + u";";
    if (!values.database.isEmpty())
        connect += u"Database=" + values.database + u";";
    return u"PROVIDER=MSDASQL;" + source + connect;
}

QString messageText(const QString& provider)
{
    const QStringList lines = {
        QStringLiteral("要打开一个ADO 连接，使用： "),
        QStringLiteral("Set gConnection = New Connection"),
        u"gConnection.Open \"" + provider + u"\"",
        QString(),
        QStringLiteral("要打开一个DAO 数据库对象，使用： "),
        QStringLiteral("设置 gDatabase = OpenDatabase(vbNullString, 0, 0, sDAOConnect)"),
        QString(),
        QStringLiteral("或打开一个 RDO 连接, 使用:"),
        QStringLiteral("设置 gRDOConnection = rdoEnvironments(0).OpenConnection(sDSN, rdDriverNoPrompt, 0, sConnect)"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace OdbcConnect
