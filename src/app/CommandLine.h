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
    QString programFolder; // --dir PATH; empty for the default
    bool odbcLogon = false;
    QString text; // the help, the version or the error to print

    static CommandLine parse(const QStringList& arguments);
};
