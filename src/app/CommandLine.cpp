#include "app/CommandLine.h"

#include "base/AppInfo.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList& arguments)
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
    if (parser.isSet(help)) {
        command.action = Action::ShowHelp;
        command.text = parser.helpText();
        return command;
    }
    if (parser.isSet(version)) {
        command.action = Action::ShowVersion;
        command.text = AppInfo::title() + u' ' + AppInfo::version();
        return command;
    }
    command.programFolder = parser.value(dir);
    command.odbcLogon = parser.isSet(odbcLogon);
    return command;
}
