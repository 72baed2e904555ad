#pragma once

#include <QString>
#include <QStringList>

// What the ODBC driver manager knows: data source names and the driver each one uses.
struct OdbcCatalog
{
    QStringList dataSources; // "(None)" first
    QStringList drivers;     // adjacent duplicates removed

    static OdbcCatalog GetDSNsAndDrivers();
    static void removeAdjacentDuplicates(QStringList& list);
};

namespace OdbcConnect {

struct Values
{
    int dataSourceIndex = 0; // 0 is "(None)"
    QString dataSource;
    QString driver;
    QString server;
    QString uid;
    QString pwd;
    QString database;
};

// The connection string that opens the source through the ODBC provider.
QString providerString(const Values& values);
// The text shown for it, with the lines of the ADO, DAO and RDO examples.
QString messageText(const QString& provider);

} // namespace OdbcConnect
