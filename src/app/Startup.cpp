#include "app/Startup.h"

#include "base/AppPaths.h"
#include "gui/LoginWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProcessState.h"
#include "service/ServiceConnection.h"
#include "store/LocalStore.h"

#include <QCoreApplication>
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
    // The database driver loads on a worker while the login window is built; the store is open before
    // the window shows.
    LocalStore::loadDriverInBackground();

    // The one link to the service lives as long as the application; every window that talks to the
    // service is handed it.
    auto* service = new ServiceConnection(QCoreApplication::instance());

    bool passed = false;
    {
        LoginWindow login(*service);
        // A store that cannot be opened is no reason to stop: each window copes with it when it reads.
        LocalStore::open(AppPaths::programFolder());
        probeStartupIfAsked();
        login.exec();
        passed = login.LoginPassed();
    }
    if (!passed)
        return false;

    auto* mainForm = new MainWindow(*service);
    mainForm->setAttribute(Qt::WA_DeleteOnClose);
    ProcessState::MainForm = mainForm;
    mainForm->show();
    return true;
}
