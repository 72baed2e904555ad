#include "base/PrivateFiles.h"
#include "store/LocalStore.h"
#include "store/Sql.h"
#include "support/TestFolder.h"

#include <QSqlRecord>
#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

class LocalStoreTest : public QObject
{
    Q_OBJECT

private slots:
    // First, while the driver is not yet loaded in this process.
    void theStoreOpensWhileTheDriverLoadsOnAWorker()
    {
        TestFolder folder;
        LocalStore::loadDriverInBackground();
        QVERIFY(LocalStore::open(folder.path()));
        QSqlQuery query(LocalStore::connection());
        QVERIFY(query.exec(Sql::materialRows()));
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        // The worker's connection is gone; only the store's own is left.
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList{LocalStore::connectionName()});
        LocalStore::close();
    }

    void createsTheFiveTablesWhenMissing()
    {
        TestFolder folder;
        QVERIFY(LocalStore::open(folder.path()));
        QVERIFY(QFile::exists(folder.filePath(u"data/db.sqlite"_qs)));
        QSqlQuery query(LocalStore::connection());
        for (const QString& sql :
             {Sql::mainDomains(), Sql::identifierRows(), Sql::contactRows(), Sql::materialRows(),
              Sql::identifierEditor(), Sql::domainEditor(), Sql::relatedInformation(), Sql::keywordSeeds()})
            QVERIFY2(query.exec(sql), qPrintable(sql));

        // One material row 0,0,0, as a shipped file has.
        QVERIFY(query.exec(Sql::materialRows()));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt() + query.value(1).toInt() + query.value(2).toInt(), 0);
        QVERIFY(!query.next());

        // ids come from the database, state starts at 0, and column names ignore letter case.
        QVERIFY(query.exec(u"insert into biao (biaoshi, number) values ('a', 3)"_qs));
        QVERIFY(query.prepare(Sql::identifierById()));
        query.addBindValue(1);
        QVERIFY(query.exec());
        QVERIFY(query.next());
        QCOMPARE(query.record().value(u"state"_qs).toInt(), 0);
        QCOMPARE(query.record().value(u"State"_qs).toInt(), 0);
        QVERIFY(query.exec(u"select ADDRESS, Word from config, Word"_qs));

        // A count must be a number.
        QVERIFY(!query.exec(u"insert into biao (biaoshi, number) values ('b', 'abc')"_qs));
        QVERIFY(query.exec(u"insert into biao (biaoshi, number) values ('b', '12')"_qs));
    }

    void usesAnExistingFileAsItStands()
    {
        TestFolder folder;
        QDir().mkpath(folder.filePath(u"data"_qs));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"other"_qs);
            db.setDatabaseName(folder.filePath(u"data/db.sqlite"_qs));
            QVERIFY(db.open());
            QSqlQuery query(db);
            // Other types, other letter case, an extra column: another tool's file.
            QVERIFY(query.exec(u"create table URL (ID integer primary key, Url varchar(200), note text)"_qs));
            QVERIFY(query.exec(u"create table biao (id integer primary key, BIAOSHI text, number real, State int)"_qs));
            QVERIFY(query.exec(u"create table config (id integer primary key, title, address, tel, qq, about)"_qs));
            QVERIFY(query.exec(u"create table suiji (id integer primary key, title, body, hang)"_qs));
            QVERIFY(query.exec(u"create table word (id integer primary key, word)"_qs));
            QVERIFY(query.exec(u"insert into URL (Url) values ('example.com')"_qs));
            db.close();
        }
        QSqlDatabase::removeDatabase(u"other"_qs);

        QVERIFY(LocalStore::open(folder.path()));
        QSqlQuery query(LocalStore::connection());
        QVERIFY(query.exec(Sql::mainDomains()));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), u"example.com"_qs);
        QVERIFY(query.exec(Sql::materialRows()));
        QVERIFY(!query.next()); // nothing was added to the existing file
    }

    void aBrokenStoreIsNeverRewritten()
    {
        TestFolder folder;
        QDir().mkpath(folder.filePath(u"data"_qs));
        const QByteArray junk("this is not a database, but it is the user's file\n");
        folder.write(u"data/db.sqlite"_qs, junk);
        LocalStore::open(folder.path());
        QSqlQuery query(LocalStore::connection());
        QVERIFY(!query.exec(Sql::mainDomains()));
        LocalStore::close();
        QCOMPARE(folder.read(u"data/db.sqlite"_qs), junk);
    }

    void instancesStartedAtOnceShareOneStore()
    {
        TestFolder folder;
        const QString path = LocalStore::databasePath(folder.path());
        for (int round = 0; round < 5; ++round) {
            QFile::remove(path);
            QList<QFuture<bool>> starts;
            for (int i = 0; i < 4; ++i)
                starts.append(QtConcurrent::run([path] { return LocalStore::createFile(path); }));
            for (QFuture<bool>& start : starts)
                QVERIFY(start.result());
            QVERIFY(LocalStore::open(folder.path()));
            QSqlQuery query(LocalStore::connection());
            QVERIFY(query.exec(u"select count(*) from suiji"_qs));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
            LocalStore::close();
        }
        // Nothing but the store is left behind.
        QCOMPARE(QDir(folder.filePath(u"data"_qs)).entryList(QDir::Files), QStringList{u"db.sqlite"_qs});

        // A file that another instance has just made is used as it stands.
        const QByteArray other("made by the other instance");
        folder.write(u"data/db.sqlite"_qs, other);
        QVERIFY(LocalStore::createFile(path));
        QCOMPARE(folder.read(u"data/db.sqlite"_qs), other);
    }

    void aStoreThatCannotBeOpenedIsReportedToTheCaller()
    {
        TestFolder folder;
        QDir().mkpath(folder.filePath(u"data/db.sqlite"_qs)); // a folder where the file should be
        QVERIFY(!LocalStore::open(folder.path()));
        QSqlQuery query(LocalStore::connection());
        QVERIFY(!query.exec(Sql::mainDomains()));
    }

    // The customer's material is the user's alone: new folders 0700, new files 0600; what exists keeps
    // the modes its owner gave it.
    void newFoldersAndFilesAreTheUsers()
    {
        constexpr QFileDevice::Permissions kModeBits(0x7077);
        const QFileDevice::Permissions folder =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        const QFileDevice::Permissions file = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QTemporaryDir dir;
        const QString program = dir.filePath(u"a/b/program"_qs);
        QVERIFY(PrivateFiles::makeFolder(program));
        for (const QString& made : {dir.filePath(u"a"_qs), dir.filePath(u"a/b"_qs), program})
            QCOMPARE(QFileInfo(made).permissions() & kModeBits, folder);
        QVERIFY(LocalStore::open(program));
        LocalStore::close();
        QCOMPARE(QFileInfo(program + u"/data"_qs).permissions() & kModeBits, folder);
        QCOMPARE(QFileInfo(program + u"/data/db.sqlite"_qs).permissions() & kModeBits, file);

        const QString shared = dir.filePath(u"shared.txt"_qs);
        QVERIFY(PrivateFiles::writeAtomically(shared, "one"));
        QCOMPARE(QFileInfo(shared).permissions() & kModeBits, file);
        const QFileDevice::Permissions chosen = file | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(shared, chosen));
        QVERIFY(PrivateFiles::writeAtomically(shared, "two"));
        QCOMPARE(QFileInfo(shared).permissions() & kModeBits, chosen);
        QVERIFY(QFile::setPermissions(dir.filePath(u"a"_qs), folder | QFileDevice::ReadOther | QFileDevice::ExeOther));
        QVERIFY(PrivateFiles::makeFolder(dir.filePath(u"a/c"_qs)));
        QCOMPARE(QFileInfo(dir.filePath(u"a"_qs)).permissions() & kModeBits,
                 folder | QFileDevice::ReadOther | QFileDevice::ExeOther);
    }
};

QTEST_GUILESS_MAIN(LocalStoreTest)
#include "tst_localstore.moc"
