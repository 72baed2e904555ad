#include "app/CommandLine.h"
#include "app/Startup.h"
#include "base/AppInfo.h"
#include "base/AppPaths.h"
#include "base/PrivateFiles.h"
#include "base/QtTranslations.h"
#include "odbc/OdbcLogonDialog.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <sys/stat.h>

namespace {

void setApplicationNames()
{
    QCoreApplication::setApplicationName(AppInfo::title());
    QCoreApplication::setOrganizationName(AppInfo::organization());
    QCoreApplication::setApplicationVersion(AppInfo::version());
}

// Reads the command line before any window system is needed, so --help and --version answer on a
// terminal without a display.
CommandLine readCommandLine(int argc, char* argv[])
{
    QCoreApplication probe(argc, argv);
    setApplicationNames();
    return CommandLine::parse(QCoreApplication::arguments(), QCoreApplication::applicationDirPath(),
                              AppPaths::userDataFolder());
}

} // namespace

int main(int argc, char* argv[])
{
    // The customer's material is the user's alone, what Qt makes for us too (lock files, a save's
    // temporary file where the file system cannot hide it).
    ::umask(077);
    const CommandLine command = readCommandLine(argc, argv);
    switch (command.action) {
    case CommandLine::Action::Run:
        break;
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(command.text + u'\n'), stdout);
        return 0;
    case CommandLine::Action::Fail:
        std::fputs(qPrintable(command.text + u'\n'), stderr);
        return 2;
    }

    // Web pages reach screen readers only when this is set before the engine starts; a user's own
    // value stands.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    QApplication app(argc, argv);
    setApplicationNames();
    QGuiApplication::setDesktopFileName(AppInfo::desktopId());
    QtTranslations::install(app, QStringLiteral("qtbase"));
    PrivateFiles::makeFolder(command.programFolder);
    AppPaths::setProgramFolder(command.programFolder);

    // The ODBC logon dialog stands apart from the rest of the program; it is reached from here only.
    if (command.odbcLogon) {
        OdbcLogonDialog dialog;
        dialog.exec();
        return 0;
    }
    if (!Main())
        return 0;
    return app.exec();
}
