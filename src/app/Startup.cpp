#include "Startup.h"

#include "AppPaths.h"
#include "ProcessState.h"
#include "main/MainWindow.h"
#include "service/LoginWindow.h"
#include "store/LocalStore.h"

bool Main()
{
    // A store that cannot be opened is no reason to stop: each window copes with it when it reads.
    LocalStore::open(AppPaths::programFolder());

    bool passed = false;
    {
        LoginWindow login;
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
