#pragma once

#include <QString>
#include <QStringList>

// What the user asked for on the command line.
struct CommandLine
{
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion,
        Fail
    };

    Action action = Action::Run;
    QString programFolder; // the folder of the user's files for this start
    bool odbcLogon = false;
    QString text; // the help, the version or the error to print

    // executableFolder and userFolder decide the program folder when --dir is not given.
    static CommandLine parse(const QStringList& arguments, const QString& executableFolder, const QString& userFolder);
};
