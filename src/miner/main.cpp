// quillon-mine: the long-tail keyword search on a command line, without a display.
#include "base/AppInfo.h"
#include "base/AppPaths.h"
#include "miner/KeywordMiner.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/stat.h>

int main(int argc, char* argv[])
{
    // What is mined is the user's alone, what Qt makes for us too (lock files, a save's temporary file).
    ::umask(077);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-mine"));
    QCoreApplication::setApplicationVersion(AppInfo::version());
    const MinerOptions options = MinerOptions::parse(
        QCoreApplication::arguments(), QCoreApplication::applicationDirPath(), AppPaths::userDataFolder());
    switch (options.action) {
    case MinerOptions::Action::ShowHelp:
    case MinerOptions::Action::ShowVersion:
        std::fputs(qPrintable(options.text + u'\n'), stdout);
        return 0;
    case MinerOptions::Action::Fail:
        std::fputs(qPrintable(options.text + u"\n用 --help 查看用法。\n"), stderr);
        return KeywordMiner::BadArguments;
    case MinerOptions::Action::Run:
        break;
    }
    KeywordMiner miner(options);
    miner.handleTerminationSignals();
    QObject::connect(&miner, &KeywordMiner::done, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    if (!miner.start())
        return 1;
    return app.exec();
}
