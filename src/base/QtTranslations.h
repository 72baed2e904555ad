#pragma once

class QCoreApplication;

namespace QtTranslations {

// Loads Qt's own Chinese translations, so that standard buttons and Qt's dialogs read Chinese like the
// rest of the program. False when they are not installed; the program then runs with Qt's English.
bool install(QCoreApplication& app);

} // namespace QtTranslations
