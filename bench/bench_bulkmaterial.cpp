// Material for hundreds of sites: 10,000 main domains and 10,000 identifiers pasted into their editors in
// one go. The check and its dialog, the write in one transaction and the longest step of scrolling the
// grid to its end, each beside the sqlite3 command line tool importing the same rows; then the main
// window's material view and an upload of all of it to the stand-in service.
#include "BenchSupport.h"
#include "StandinService.h"
#include "base/AppPaths.h"
#include "gui/MainWindow.h"
#include "gui/TableEditorWindow.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"
#include "service/TransferControl.h"
#include "store/LocalStore.h"
#include "support/MessageRecorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

namespace {

constexpr int kRows = 10000;

// Pastes the lines into a new editor; the times of the check with its dialog, of the write, and of the
// longest step of paging through the grid to its end.
void pasteInto(TableEditorWindow::Kind kind, const QString& lines, const char* what, const QString& sqliteImport)
{
    TableEditorWindow window(kind);
    window.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    QDialog* dialog = window.addLines(lines);
    QApplication::processEvents();
    const double check = timer.nsecsElapsed() / 1e6;
    timer.restart();
    dialog->accept();
    QApplication::processEvents();
    const double write = timer.nsecsElapsed() / 1e6;
    double longest = 0;
    QScrollBar* scroll = window.grid()->verticalScrollBar();
    while (scroll->value() < scroll->maximum()) {
        timer.restart();
        scroll->setValue(scroll->value() + scroll->pageStep());
        window.grid()->viewport()->repaint();
        QApplication::processEvents();
        longest = std::max(longest, timer.nsecsElapsed() / 1e6);
    }
    const double sqlite = Bench::timeCommand(sqliteImport);
    Bench::report(QByteArray(QByteArray("check and dialog of 10,000 ") + what).constData(), check, "ms",
                  "sqlite3 CLI import", sqlite);
    Bench::report(QByteArray(QByteArray("write of 10,000 ") + what).constData(), write, "ms", "sqlite3 CLI import",
                  sqlite);
    Bench::report(QByteArray(QByteArray("longest scroll step, ") + what).constData(), longest, "ms", "(limit)", 50);
    window.close();
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageRecorder messages; // no box waits for a click
    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    LocalStore::open(dir.path());

    // Spreadsheet rows as people paste them: some with a www. or a scheme, a few repeated.
    QString domains, identifiers,
        sql = QStringLiteral("create table url (id integer primary key autoincrement, url text);\n"
                             "create table biao (id integer primary key autoincrement, biaoshi text, number integer,"
                             " state integer default 0);\nbegin;\n");
    for (int i = 0; i < kRows; ++i) {
        domains += (i % 3 == 0 ? QStringLiteral("http://www.site%1.com.cn/\n") : QStringLiteral("site%1.com\n")).arg(i);
        identifiers += QStringLiteral("shop%1\t%2\n").arg(i).arg(i % 50 + 1);
        sql += QStringLiteral("insert into url (url) values ('site%1.com');\n"
                              "insert into biao (biaoshi, number, state) values ('shop%1', %2, 0);\n")
                   .arg(i)
                   .arg(i % 50 + 1);
    }
    QFile script(dir.filePath(QStringLiteral("import.sql")));
    script.open(QIODevice::WriteOnly);
    script.write((sql + QStringLiteral("commit;\n")).toUtf8());
    script.close();
    const QString sqliteImport = QStringLiteral("rm -f '%1' && sqlite3 '%1' < '%2'")
                                     .arg(dir.filePath(QStringLiteral("cli.sqlite")), script.fileName());
    pasteInto(TableEditorWindow::Kind::Domains, domains, "domains", sqliteImport);
    pasteInto(TableEditorWindow::Kind::Identifiers, identifiers, "identifiers", sqliteImport);

    // The main window shows all of it, and all of it goes to the service in one upload.
    StandinService standin("bench");
    ServiceConnection service;
    service.setServerAddr(u"http://127.0.0.1:"_qs + QString::number(standin.start()));
    MainWindow window(service);
    window.show();
    QElapsedTimer timer;
    timer.start();
    window.Body_url();
    QApplication::processEvents();
    Bench::report("material view of 20,000 rows", timer.nsecsElapsed() / 1e6, "ms", "sqlite3 CLI import",
                  Bench::timeCommand(sqliteImport));
    TransferControl login(service, std::chrono::seconds(10));
    QSignalSpy loggedIn(&login, &TransferControl::finished);
    login.execute(ServiceProtocol::requestAddress(service.ServerAddr()), QStringLiteral("POST"),
                  "action=Ulogin&Pass=bench", ServiceProtocol::contentTypeHeader());
    loggedIn.wait(10000);
    QSignalSpy uploaded(window.workInet(), &TransferControl::finished);
    timer.restart();
    window.findChild<QAbstractButton*>(QStringLiteral("baocun"))->click();
    uploaded.wait(30000);
    const std::string body = standin.lastUpload();
    const bool whole =
        body.find("site9998.com|*|") != std::string::npos && body.find("shop9999|*|") != std::string::npos;
    Bench::report(whole ? "upload of all of it (whole)" : "upload of all of it (NOT WHOLE)", timer.nsecsElapsed() / 1e6,
                  "ms", "body KiB", body.size() / 1024.0, "KiB");
    window.close();
    return 0;
}
