#pragma once

#include <QString>

class QCoreApplication;

namespace QtTranslations {

// Loads one of Qt's own Chinese catalogs ("qtbase" for the widgets, "qtwebengine" for the web engine's
// menus), so that standard buttons and Qt's dialogs read Chinese like the rest of the program. False
// when it is not installed; those texts then stay in Qt's English.
bool install(QCoreApplication& app, const QString& catalog);

} // namespace QtTranslations
