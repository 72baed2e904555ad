#include "AppInfo.h"
#include "AppPaths.h"
#include "Startup.h"

#include <QApplication>
#include <QNetworkProxyFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setOrganizationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(AppInfo::kVersionMajor)
                                            .arg(AppInfo::kVersionMinor)
                                            .arg(AppInfo::kVersionRevision));
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    AppPaths::initFromArguments(QApplication::arguments(), QApplication::applicationDirPath());

    if (!Main())
        return 0;
    return app.exec();
}
