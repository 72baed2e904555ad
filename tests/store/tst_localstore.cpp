#include "store/LocalStore.h"
#include "store/MaterialSnapshot.h"
#include "store/Sql.h"
#include "support/TestFolder.h"

#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

class LocalStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void createsTheFiveTablesWhenMissing()
    {
        TestFolder folder;
        QVERIFY(LocalStore::open(folder.path()));
        for (const QString& sql :
             {Sql::mainDomains(), Sql::identifierRows(), Sql::contactRows(), Sql::materialRows(),
              Sql::identifierEditor(), Sql::domainEditor(), Sql::relatedInformation(), Sql::keywordSeeds()})
            QVERIFY2(TestFolder::exec(sql), qPrintable(sql));
        // One material row 0,0,0, as a shipped file has; ids come from the database, state starts at 0,
        // and a count must be a number.
        QCOMPARE(TestFolder::column(u"select title + body + hang from suiji"_qs), QStringList{u"0"_qs});
        QVERIFY(TestFolder::exec(u"insert into biao (biaoshi, number) values ('a', 3)"_qs));
        QSqlQuery query(LocalStore::connection());
        QVERIFY(query.prepare(Sql::identifierById()));
        query.addBindValue(1);
        QVERIFY(query.exec() && query.next());
        QCOMPARE(query.value(u"state"_qs).toInt(), 0);
        QVERIFY(!TestFolder::exec(u"insert into biao (biaoshi, number) values ('b', 'abc')"_qs));
        QVERIFY(TestFolder::exec(u"insert into biao (biaoshi, number) values ('b', '12')"_qs));
        // The customer's material is the user's alone.
        QCOMPARE(QFileInfo(folder.filePath(u"data"_qs)).permissions() & QFileDevice::Permissions(0x7077),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(QFileInfo(folder.filePath(u"data/db.sqlite"_qs)).permissions() & QFileDevice::Permissions(0x7077),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
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
            for (const char* sql :
                 {"create table URL (ID integer primary key, Url varchar(200), note text)",
                  "create table biao (id integer primary key, BIAOSHI text, number real, State int)",
                  "create table config (id integer primary key, title, address, tel, qq, about)",
                  "create table suiji (id integer primary key, title, body, hang)",
                  "create table word (id integer primary key, word)", "insert into URL (Url) values ('example.com')"})
                QVERIFY(query.exec(QString::fromLatin1(sql)));
        }
        QSqlDatabase::removeDatabase(u"other"_qs);
        QVERIFY(LocalStore::open(folder.path()));
        QCOMPARE(TestFolder::column(Sql::mainDomains()), QStringList{u"example.com"_qs});
        QCOMPARE(TestFolder::column(u"select count(*) from suiji"_qs), QStringList{u"0"_qs}); // nothing added
    }

    void aStoreThatCannotBeOpenedIsNeverRewritten()
    {
        TestFolder folder;
        const QByteArray junk("this is not a database, but it is the user's file\n");
        folder.write(u"data/db.sqlite"_qs, junk);
        LocalStore::open(folder.path());
        QVERIFY(!TestFolder::exec(Sql::mainDomains()));
        LocalStore::close();
        QCOMPARE(folder.read(u"data/db.sqlite"_qs), junk);
        // A folder where the file should be: the caller is told.
        QFile::remove(folder.filePath(u"data/db.sqlite"_qs));
        QDir().mkpath(folder.filePath(u"data/db.sqlite"_qs));
        QVERIFY(!LocalStore::open(folder.path()));
        QVERIFY(!TestFolder::exec(Sql::mainDomains()));
    }

    // What the main window shows and sends, read in one go: Null identifiers add nothing, a Null state
    // counts as requested, the first contact row is the one, and a closed store gives nothing.
    void theMaterialSnapshot()
    {
        TestFolder folder;
        QVERIFY(
            folder.openStore({u"insert into url (url) values ('a.com'), (NULL)"_qs,
                              u"insert into biao (biaoshi, number, state) values ('b', 3, 0), (NULL, NULL, NULL)"_qs,
                              u"insert into config (title, tel) values ('c', NULL), ('second', 'x')"_qs}));
        const MaterialSnapshot material = MaterialSnapshot::read(LocalStore::connection());
        QCOMPARE(material.urlJoined, u"a.com|*|"_qs);
        QCOMPARE(material.biaoshiJoined, u"b|*|"_qs);
        QCOMPARE(int(material.rows.size()), 2);
        QCOMPARE(material.rows[0].number, std::optional<QString>(u"3"_qs));
        QVERIFY(!material.rows[0].viewEnabled);
        QVERIFY(!material.rows[1].biaoshi);
        QVERIFY(material.rows[1].viewEnabled);
        QCOMPARE((*material.contact)[0], u"c"_qs);
        QCOMPARE((*material.contact)[2], u"-"_qs);
        LocalStore::close();
        const MaterialSnapshot nothing = MaterialSnapshot::read(LocalStore::connection());
        QVERIFY(nothing.domains.isEmpty() && nothing.rows.empty() && !nothing.contact && !nothing.material);
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
            QCOMPARE(TestFolder::column(u"select count(*) from suiji"_qs), QStringList{u"1"_qs});
            LocalStore::close();
        }
        // Nothing but the store is left behind.
        QCOMPARE(QDir(folder.filePath(u"data"_qs)).entryList(QDir::Files), QStringList{u"db.sqlite"_qs});
        // A file that another instance has just made is used as it stands.
        folder.write(u"data/db.sqlite"_qs, "made by the other instance");
        QVERIFY(LocalStore::createFile(path));
        QCOMPARE(folder.read(u"data/db.sqlite"_qs), QByteArray("made by the other instance"));
    }
};

QTEST_GUILESS_MAIN(LocalStoreTest)
#include "tst_localstore.moc"
