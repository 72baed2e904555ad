#include "app/Startup.h"
#include "base/AppInfo.h"
#include "base/AppPaths.h"
#include "base/QtTranslations.h"
#include "odbc/OdbcLogonDialog.h"

#include <QApplication>
#include <QNetworkProxyFactory>

int main(int argc, char* argv[])
{
    // The web engine, loaded with the first browser window, wants this set before the application exists.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setOrganizationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(AppInfo::kVersionMajor)
                                            .arg(AppInfo::kVersionMinor)
                                            .arg(AppInfo::kVersionRevision));
    QtTranslations::install(app);
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    AppPaths::initFromArguments(QApplication::arguments(), QApplication::applicationDirPath());

    // The ODBC logon dialog stands apart from the rest of the program; it is reached from here only.
    if (QApplication::arguments().contains(QStringLiteral("--odbc-logon"))) {
        OdbcLogonDialog dialog;
        dialog.exec();
        return 0;
    }
    if (!Main())
        return 0;
    return app.exec();
}
