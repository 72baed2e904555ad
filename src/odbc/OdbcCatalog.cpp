#include "odbc/OdbcCatalog.h"

#include <QLibrary>
#include <sql.h>
#include <sqlext.h>

namespace {

// The driver manager (unixODBC) is loaded when its catalogue is first asked for, not at every start of
// the program: the catalogue is all this program uses of it.
struct DriverManager
{
    decltype(&SQLAllocEnv) allocEnv = nullptr;
    decltype(&SQLDataSources) dataSources = nullptr;
    decltype(&SQLFreeEnv) freeEnv = nullptr;

    bool isLoaded() const { return allocEnv && dataSources && freeEnv; }

    static const DriverManager& instance()
    {
        static const DriverManager manager = [] {
            DriverManager loaded;
            QLibrary library(QStringLiteral("odbc"), 2);
            if (!library.load())
                return loaded;
            loaded.allocEnv = reinterpret_cast<decltype(&SQLAllocEnv)>(library.resolve("SQLAllocEnv"));
            loaded.dataSources = reinterpret_cast<decltype(&SQLDataSources)>(library.resolve("SQLDataSources"));
            loaded.freeEnv = reinterpret_cast<decltype(&SQLFreeEnv)>(library.resolve("SQLFreeEnv"));
            return loaded;
        }();
        return manager;
    }
};

} // namespace

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
    const DriverManager& odbc = DriverManager::instance();
    SQLHENV environment = SQL_NULL_HENV;
    if (!odbc.isLoaded() || odbc.allocEnv(&environment) == SQL_ERROR)
        return catalog;
    SQLRETURN result = SQL_SUCCESS;
    do {
        SQLCHAR name[1024];
        SQLCHAR description[1024];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        result = odbc.dataSources(environment, SQL_FETCH_NEXT, name, sizeof name, &nameLength, description,
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
    odbc.freeEnv(environment);
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
