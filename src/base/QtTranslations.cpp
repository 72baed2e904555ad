#include "base/QtTranslations.h"

#include "base/AppInfo.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace QtTranslations {

bool install(QCoreApplication& app, const QString& catalog)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(AppInfo::locale(), catalog, QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace QtTranslations
