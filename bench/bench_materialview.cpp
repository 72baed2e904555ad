// Fills the main window's material view from a store with 100,000 identifiers and reports the time and
// the memory the fill adds, beside the sqlite3 command line tool reading the same rows.
#include "BenchSupport.h"
#include "base/AppPaths.h"
#include "gui/MainWindow.h"
#include "gui/ProcessState.h"
#include "service/ServiceConnection.h"
#include "store/LocalStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

int main(int argc, char* argv[])
{
    // scripts/bench runs every benchmark offscreen and on xcb; run alone, offscreen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRows = 100000;

    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    LocalStore::open(dir.path());
    ServiceConnection service;
    MainWindow window(service);
    window.show();

    QSqlDatabase db = LocalStore::connection();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("insert into biao (biaoshi, number, state) values (?, ?, ?)"));
    for (int i = 0; i < kRows; ++i) {
        insert.addBindValue(QStringLiteral("标识%1").arg(i));
        insert.addBindValue(i % 50 + 1);
        insert.addBindValue(i % 2);
        insert.exec();
    }
    db.commit();

    const QString sqlite =
        QStringLiteral("sqlite3 '%1' 'select id,biaoshi,number,state from biao Order by id' >/dev/null")
            .arg(LocalStore::databasePath(dir.path()));
    const long before = Bench::residentKiB();
    QElapsedTimer timer;
    timer.start();
    window.Body_url();
    QApplication::processEvents();
    const double first = timer.nsecsElapsed() / 1e6;
    const long after = Bench::residentKiB();
    Bench::report("fill of 100,000 identifiers", first, "ms", "sqlite3 CLI, same query", Bench::timeCommand(sqlite));
    Bench::report("memory added by the fill", (after - before) / 1024.0, "MiB", "(target)", 60);

    QSqlQuery(db).exec(QStringLiteral("delete from biao where id % 2 = 0"));
    timer.restart();
    window.Body_url();
    QApplication::processEvents();
    Bench::report("re-fill after deleting 50,000", timer.nsecsElapsed() / 1e6, "ms", "sqlite3 CLI, same query",
                  Bench::timeCommand(sqlite));
    window.close();
    return 0;
}
