#include "app/CommandLine.h"

#include "base/AppInfo.h"
#include "base/AppPaths.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList& arguments, const QString& executableFolder, const QString& userFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(AppInfo::title());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption dir(QStringList{QStringLiteral("dir")},
                                 QStringLiteral("程序文件夹：数据库、server.txt 和 word.txt 所在的文件夹。"),
                                 QStringLiteral("PATH"));
    const QCommandLineOption odbcLogon(QStringList{QStringLiteral("odbc-logon")},
                                       QStringLiteral("只打开 ODBC 登录对话框。"));
    parser.addOption(dir);
    parser.addOption(odbcLogon);

    CommandLine command;
    if (!parser.parse(arguments)) {
        command.action = Action::Fail;
        command.text = parser.errorText();
        return command;
    }
    command.programFolder = AppPaths::chooseProgramFolder(parser.value(dir), executableFolder, userFolder);
    if (parser.isSet(help)) {
        // So that users can always find their data.
        command.action = Action::ShowHelp;
        const QString manual = AppPaths::shippedFile(QStringLiteral("Manual.txt"), command.programFolder,
                                                     AppPaths::installDataFolder(executableFolder));
        command.text = parser.helpText() + u"\n程序文件夹（数据库、server.txt、word.txt）：" + command.programFolder +
                       u"\n使用说明：" + manual;
        return command;
    }
    if (parser.isSet(version)) {
        command.action = Action::ShowVersion;
        command.text = AppInfo::title() + u' ' + AppInfo::version();
        return command;
    }
    command.odbcLogon = parser.isSet(odbcLogon);
    return command;
}
