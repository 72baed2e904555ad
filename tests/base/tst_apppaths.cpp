#include "base/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

} // namespace

class AppPathsTest : public QObject
{
    Q_OBJECT

private slots:
    void programFolderRules()
    {
        QTemporaryDir root;
        const QString executable = root.filePath(u"bin"_qs);
        const QString user = root.filePath(u"share/quillon"_qs);
        QDir().mkpath(executable);
        // An installed program keeps the user's files in the per-user folder ...
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), user);
        // ... --dir always wins ...
        QCOMPARE(AppPaths::chooseProgramFolder(root.filePath(u"x/../elsewhere"_qs), executable, user),
                 root.filePath(u"elsewhere"_qs));
        // ... and a portable folder (data/ or server.txt beside the executable) keeps them there.
        touch(executable + u"/server.txt"_qs);
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), executable);
        QFile::remove(executable + u"/server.txt"_qs);
        QDir().mkpath(executable + u"/data"_qs);
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), executable);
        // A file named data is no data folder.
        QDir(executable).rmdir(u"data"_qs);
        touch(executable + u"/data"_qs);
        QCOMPARE(AppPaths::chooseProgramFolder({}, executable, user), user);
    }

    void theUserFolderFollowsXdgDataHome()
    {
        QTemporaryDir home;
        // Put back as it was, for the tests after this one.
        const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        auto restore = qScopeGuard([&] {
            if (wasSet)
                qputenv("XDG_DATA_HOME", previous);
            else
                qunsetenv("XDG_DATA_HOME");
        });
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        QCOMPARE(AppPaths::userDataFolder(), home.filePath(u"quillon"_qs));
    }

    void shippedFilesAreFoundInTurn()
    {
        QTemporaryDir root;
        const QString executable = root.filePath(u"prefix/bin"_qs);
        const QString install = AppPaths::installDataFolder(executable);
        QVERIFY(install.startsWith(root.filePath(u"prefix/"_qs)));
        QVERIFY(install.endsWith(u"/quillon"_qs));
        const QString program = root.filePath(u"home"_qs);

        // Nothing on disk: the copy built into the program, which is there.
        const QString builtIn = AppPaths::shippedFile(u"Manual.txt"_qs, program, install);
        QCOMPARE(builtIn, u":/quillon/Manual.txt"_qs);
        QVERIFY(QFile::exists(builtIn));
        QVERIFY(QFile::exists(AppPaths::shippedFile(u"liebiao.html"_qs, program, install)));
        // The installation's copy ...
        touch(install + u"/Manual.txt"_qs);
        QCOMPARE(AppPaths::shippedFile(u"Manual.txt"_qs, program, install), install + u"/Manual.txt"_qs);
        // ... unless the user keeps one of their own.
        touch(program + u"/Manual.txt"_qs);
        QCOMPARE(AppPaths::shippedFile(u"Manual.txt"_qs, program, install), program + u"/Manual.txt"_qs);
    }
};

QTEST_GUILESS_MAIN(AppPathsTest)
#include "tst_apppaths.moc"
