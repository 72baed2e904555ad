#include "Startup.h"

#include "AppPaths.h"
#include "ProcessState.h"
#include "main/MainWindow.h"
#include "service/LoginWindow.h"
#include "store/LocalStore.h"

#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// With QUILLON_STARTUP_PROBE set, the program reports its peak memory once the login window is up and
// ends there: the start-up benchmark measures the client this way.
void probeStartupIfAsked()
{
    if (!qEnvironmentVariableIsSet("QUILLON_STARTUP_PROBE"))
        return;
    QTimer::singleShot(0, [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("VmHWM:"))
                    std::printf("PEAK_KIB %s\n", line.mid(6).trimmed().split(' ').value(0).constData());
            }
        }
        std::fflush(stdout);
        std::_Exit(0);
    });
}

} // namespace

bool Main()
{
    // A store that cannot be opened is no reason to stop: each window copes with it when it reads.
    LocalStore::open(AppPaths::programFolder());

    bool passed = false;
    {
        LoginWindow login;
        probeStartupIfAsked();
        login.exec();
        passed = login.LoginPassed();
    }
    if (!passed)
        return false;

    auto* mainForm = new MainWindow;
    mainForm->setAttribute(Qt::WA_DeleteOnClose);
    ProcessState::MainForm = mainForm;
    mainForm->show();
    return true;
}
