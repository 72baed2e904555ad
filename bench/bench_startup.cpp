// Start-up of the client to its login window against a bare Qt dialog, both started fresh several
// times: wall time from process start to the window being up, and peak resident memory.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFormLayout>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run
{
    double ms = 0;
    double peakMiB = 0;
};

Run start(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLON_STARTUP_PROBE"), QStringLiteral("1"));

    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(60000);
    Run run;
    run.ms = timer.nsecsElapsed() / 1e6;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("PEAK_KIB "))
            run.peakMiB = line.mid(9).toDouble() / 1024;
    }
    return run;
}

Run median(std::vector<Run> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
    Run middle = runs[runs.size() / 2];
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.peakMiB < b.peakMiB; });
    middle.peakMiB = runs[runs.size() / 2].peakMiB;
    return middle;
}

int bareDialog(int argc, char* argv[], bool captions)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("bare"));
    if (captions) {
        // The login window's texts and controls, with nothing behind them.
        auto* layout = new QFormLayout(&dialog);
        layout->addRow(QStringLiteral("用户名(&U):"), new QLineEdit(&dialog));
        layout->addRow(QStringLiteral("密码(&P):"), new QLineEdit(&dialog));
        layout->addRow(new QPushButton(QStringLiteral("确定"), &dialog),
                       new QPushButton(QStringLiteral("取消"), &dialog));
        dialog.setWindowTitle(QStringLiteral("Quillon建站 登录"));
    }
    QTimer::singleShot(0, [] {
        QFile status(QStringLiteral("/proc/self/status"));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                std::printf("PEAK_KIB %s\n", line.mid(6).trimmed().split(' ').value(0).constData());
        }
        std::fflush(stdout);
        std::_Exit(0);
    });
    return dialog.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--bare") == 0)
        return bareDialog(argc, argv, false);
    if (argc > 1 && qstrcmp(argv[1], "--bare-captions") == 0)
        return bareDialog(argc, argv, true);
    QCoreApplication app(argc, argv);
    const QString client = QCoreApplication::applicationDirPath() + QStringLiteral("/quillon");
    QTemporaryDir folder;
    std::vector<Run> clientRuns;
    std::vector<Run> bareRuns;
    std::vector<Run> captionRuns;
    for (int i = 0; i < 41; ++i) {
        clientRuns.push_back(start(client, {QStringLiteral("--dir"), folder.path()}));
        bareRuns.push_back(start(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare")}));
        captionRuns.push_back(start(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare-captions")}));
    }
    const Run ours = median(clientRuns);
    // The platform the runs used (offscreen, or xcb on a real X display), inherited from this process.
    std::printf("platform: %s\n", qgetenv("QT_QPA_PLATFORM").constData());
    for (const auto& [name, runs] :
         {std::pair{"bare Qt dialog, empty", bareRuns}, std::pair{"bare Qt dialog, login's captions", captionRuns}}) {
        const Run bare = median(runs);
        std::printf("%-40s %8.2f ms  | %-34s %8.2f ms  (x%.2f)\n", "start-up to the login window", ours.ms, name,
                    bare.ms, ours.ms / bare.ms);
        std::printf("%-40s %8.2f MiB | %-34s %8.2f MiB (x%.2f)\n", "peak memory at the login window", ours.peakMiB,
                    name, bare.peakMiB, ours.peakMiB / bare.peakMiB);
    }
    return 0;
}
