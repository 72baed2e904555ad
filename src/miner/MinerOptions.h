#pragma once

#include "keywords/KeywordExport.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// What quillon-mine was asked to do.
struct MinerOptions
{
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion,
        Fail,
    };

    Action action = Action::Run;
    QString programFolder;
    QString seedsFile;                  // empty: the store's table Word; "-": standard input
    std::optional<QStringList> sources; // in place of keywords.ini's
    std::optional<QStringList> expand;  // in place of keywords.ini's expand=
    // How the found words are written: as found, the most often suggested first, or the fewest results
    // first (words no engine gave a figure for last).
    enum class Sort
    {
        None,
        Count,
        Results,
    };
    Sort sort = Sort::None;
    std::optional<QList<QUrl>> proxies; // in place of keywords.ini's [proxies]
    int passes = 0;                     // 0: no limit
    int minutes = 0;                    // 0: no limit
    double giveUpMinutes = 30;          // every source blocked or unreachable this long: the run ends
    static constexpr double kMaxGiveUpMinutes = 7 * 24 * 60;
    QString out; // empty: word.txt of the program folder
    KeywordExport::Format format = KeywordExport::Format::Text;
    QString text; // the help, the version or what is wrong

    static MinerOptions parse(const QStringList& arguments, const QString& executableFolder, const QString& userFolder);
};
