#include "base/TextCodec.h"
#include "gui/KeywordWindow.h"
#include "keywordlist/KeywordList.h"
#include "keywords/KeywordFileLoader.h"
#include "keywords/LongTailSearch.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableView>
#include <QUrlQuery>
#include <Qsci/qsciscintilla.h>
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace std::chrono_literals;

namespace {

// A fake Baidu: suggestions "<seed>1", "<seed>2" in GBK, and a UTF-8 result page whose related-search
// box lists "<seed>甲" and "<seed>乙".
class FakeBaidu
{
public:
    FakeBaidu()
    {
        server.setHandler([this](const TestHttpServer::Request& request) {
            const bool suggest = request.path == "/su";
            const QString seed = QUrlQuery(QString::fromLatin1(request.query))
                                     .queryItemValue(suggest ? u"wd"_qs : u"word"_qs, QUrl::FullyDecoded);
            {
                std::lock_guard lock(mutex);
                seeds.append(seed);
            }
            if (suggest)
                return TestHttpServer::Reply{TextCodec::toAnsi(QString(
                    u"window.bdsug.sug({q:\"" + seed + u"\",p:false,s:[\"" + seed + u"1\",\"" + seed + u"2\"]});"))};
            return TestHttpServer::Reply{
                QString(u"<div class=\"tt\">相关搜索</div><table cellpadding=\"0\"><tr><th><a href=\"/s?1\">" + seed +
                        u"甲</a></th><td></td><th><a href=\"/s?2\">" + seed + u"乙</a></th></tr></table></div>")
                    .toUtf8()};
        });
    }
    QStringList searched()
    {
        std::lock_guard lock(mutex);
        return seeds;
    }
    QByteArray ini() const
    {
        const QByteArray base = "http://" + server.hostPort().toLatin1();
        return "[hosts]\nsuggest=" + base + "\nsearch=" + base + "/\n";
    }

    TestHttpServer server;
    std::mutex mutex;
    QStringList seeds;
};

// The list box as the user meets it: the module's text box.
QsciScintilla* box(const KeywordWindow& window)
{
    return qobject_cast<QsciScintilla*>(window.resultBox()->widget());
}

QString boxText(KeywordWindow& window)
{
    return window.resultBox()->toPlainText();
}

QByteArray numberedLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += "keyword" + QByteArray::number(i) + "\r\n";
    return lines;
}

#ifdef Q_OS_UNIX
// word.txt as a pipe: reading it blocks until the test writes, so a test can act while the file is
// still being read.
struct BlockedWordFile
{
    explicit BlockedWordFile(const QString& path) : path(path) { ::mkfifo(QFile::encodeName(path).constData(), 0600); }
    void release(const QByteArray& content) const
    {
        QFile pipe(path);
        if (pipe.open(QIODevice::WriteOnly))
            pipe.write(content);
    }
    QString path;
};
#endif

} // namespace

class KeywordWindowTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        TestFolder folder;
        MessageRecorder messages;
        FakeBaidu baidu;
        std::unique_ptr<KeywordWindow> window;

        explicit Fixture(const QByteArray& wordFile = {}, const QStringList& seeds = {})
        {
            folder.write(u"keywords.ini"_qs, baidu.ini());
            if (!wordFile.isNull())
                folder.write(u"word.txt"_qs, wordFile);
            QStringList statements;
            for (const QString& seed : seeds)
                statements.append(u"insert into Word (Word) values ('%1')"_qs.arg(seed));
            folder.openStore(statements);
            window = std::make_unique<KeywordWindow>();
            window->show();
        }
        void waitLoaded()
        {
            QSignalSpy loaded(window.get(), &KeywordWindow::loadFinished);
            QVERIFY(loaded.wait(5000));
        }
        QPushButton* button(const QString& name) const { return child<QPushButton>(window, name); }
    };

private slots:
    // The window's own pauses are not what most tests look at: they run with short ones.
    void initTestCase() { KeywordWindow::setPacing({50ms, 20ms, 20ms}); }

    void loadsSavesAndReloads()
    {
        Fixture f(QByteArray("a,b\r\nc\r\n\"x, y\",\xD6\xD0\r\n\r\n"));
        f.waitLoaded();
        QCOMPARE(boxText(*f.window), u"a\nb\nc\nx, y\n中\n\n"_qs);
        QVERIFY(!f.window->hasUnsavedResults());

        box(*f.window)->setText(u"  新 词\nb\n\n  "_qs);
        QVERIFY(f.window->hasUnsavedResults());
        f.button(u"baocun"_qs)->click();
        QCOMPARE(f.messages.texts(), QStringList{u"已保存！"_qs});
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("\xD0\xC2 \xB4\xCA\r\nb\r\n\r\n\r\n"));
        QVERIFY(f.window->close());
        QVERIFY(f.messages.questions.isEmpty());

        KeywordWindow again;
        QSignalSpy loaded(&again, &KeywordWindow::loadFinished);
        QVERIFY(loaded.wait(5000));
        QCOMPARE(boxText(again), u"新 词\nb\n\n\n"_qs);
    }

    void missingFileIsCreatedEmpty()
    {
        Fixture f;
        f.waitLoaded();
        QVERIFY(QFile::exists(f.folder.filePath(u"word.txt"_qs)));
        QCOMPARE(boxText(*f.window), QString());
        QFile::remove(f.folder.filePath(u"word.txt"_qs));
        box(*f.window)->setText(u"k"_qs);
        QVERIFY(f.window->save()); // saving recreates it
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("k\r\n"));
    }

    void aFailedSaveKeepsTheFileAndSaysSo()
    {
        Fixture f(QByteArray("old\r\n"));
        f.waitLoaded();
        QFile::remove(f.folder.filePath(u"word.txt"_qs));
        QDir().mkpath(f.folder.filePath(u"word.txt"_qs)); // nothing can replace a folder
        box(*f.window)->setText(u"new"_qs);
        QVERIFY(!f.window->save());
        QVERIFY(f.messages.texts().last().startsWith(u"保存失败"_qs));
        QVERIFY(f.window->hasUnsavedResults());
    }

    void filterKeepsTheFirstOfEqualLines()
    {
        Fixture f(QByteArray("a\r\nb\r\na\r\n"));
        f.waitLoaded();
        f.button(u"guolv"_qs)->click();
        QTRY_COMPARE(child<QLabel>(f.window, u"tongji"_qs)->text(), u"总共3个"_qs);
        QCOMPARE(boxText(*f.window), u"b\na\n"_qs);
        QVERIFY(f.window->hasUnsavedResults());
        box(*f.window)->clear();
        f.button(u"guolv"_qs)->click();
        QTRY_COMPARE(child<QLabel>(f.window, u"tongji"_qs)->text(), u"总共0个"_qs);
        QCOMPARE(boxText(*f.window), QString());
    }

    void closingWithUnsavedResultsAsks()
    {
        Fixture f;
        f.waitLoaded();
        box(*f.window)->setText(u"found"_qs);
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Cancel;
        QVERIFY(!f.window->close());
        QVERIFY(f.window->isVisible());
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        QVERIFY(f.window->close());
        QCOMPARE(f.messages.questions.size(), 2);
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray());

        Fixture g;
        g.waitLoaded();
        box(*g.window)->setText(u"kept"_qs);
        g.messages.nextSaveAnswer = MessageSink::SaveAnswer::Save;
        QVERIFY(g.window->close());
        QCOMPARE(g.folder.read(u"word.txt"_qs), QByteArray("kept\r\n"));
    }

    void nothingSavesOrFiltersBeforeTheListIsIn()
    {
        Fixture f(QByteArray("old\r\n"));
        // The list is read in a moment after the window opens; until then the box is not the list.
        QVERIFY(!f.button(u"baocun"_qs)->isEnabled());
        QVERIFY(!f.button(u"guolv"_qs)->isEnabled());
        QVERIFY(!f.window->save());
        QVERIFY(box(*f.window)->isReadOnly());
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("old\r\n"));
        f.waitLoaded();
        QVERIFY(!box(*f.window)->isReadOnly());
        QVERIFY(f.button(u"baocun"_qs)->isEnabled());
        QVERIFY(f.button(u"guolv"_qs)->isEnabled());
    }

#ifdef Q_OS_UNIX
    void closingWhileTheFileIsReadDropsItAndReturnsAtOnce()
    {
        Fixture f;
        BlockedWordFile blocked(f.folder.filePath(u"word.txt"_qs));
        QTRY_VERIFY(f.window->isLoading());
        // Edits made while the file is still coming in cannot be saved over it.
        f.window->insertAtTop({u"typed"_qs});
        QVERIFY(!f.button(u"baocun"_qs)->isEnabled());
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Save;
        QVERIFY(!f.window->close());
        QVERIFY(f.messages.texts().last().contains(u"还没有全部读入"_qs));
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        QVERIFY(f.window->close());
        blocked.release("late\r\n");
        // Once nothing loads, nothing more can arrive: the box keeps what it had when closed.
        QTRY_VERIFY(!f.window->isLoading());
        QCOMPARE(boxText(*f.window), u"typed\n"_qs);

        // Destroying the window while the read still blocks must not wait for it. Should it wait, a
        // watchdog ends the read after a while and the test fails, rather than hanging.
        Fixture g;
        BlockedWordFile again(g.folder.filePath(u"word.txt"_qs));
        QTRY_VERIFY(g.window->isLoading());
        std::mutex mutex;
        std::condition_variable destroyed;
        bool done = false;
        bool rescued = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            if (!destroyed.wait_for(lock, std::chrono::seconds(10), [&] { return done; })) {
                rescued = true;
                again.release("late\r\n");
            }
        });
        g.window.reset();
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        destroyed.notify_all();
        watchdog.join();
        QVERIFY2(!rescued, "destroying the window waited for the file");
        again.release("late\r\n");
    }
#endif

    void aStoppedLoaderHandsOverNothing()
    {
        TestFolder folder;
        folder.write(u"word.txt"_qs, "a\r\nb\r\n");
        QString received;
        KeywordFileLoader loader([&received](const QByteArray& lines) { received += QString::fromUtf8(lines); });
        QSignalSpy finished(&loader, &KeywordFileLoader::finished);
        loader.start(folder.filePath(u"word.txt"_qs));
        loader.stop();
        QVERIFY(finished.wait(5000));
        QCOMPARE(received, QString());
        QVERIFY(!loader.isRunning());
        loader.start(folder.filePath(u"word.txt"_qs));
        QVERIFY(finished.wait(5000));
        QCOMPARE(received, u"a\nb\n"_qs);
    }

    void tabLeavesTheResultBox()
    {
        Fixture f(QByteArray("k\r\n"));
        f.waitLoaded();
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        box(*f.window)->setFocus();
        QTRY_VERIFY(box(*f.window)->hasFocus());
        QTest::keyClick(box(*f.window), Qt::Key_Tab);
        QVERIFY(!box(*f.window)->hasFocus());
        QCOMPARE(boxText(*f.window), u"k\n"_qs);
    }

    void gridFindsTheWordColumnByName()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"drop table Word"_qs, u"create table Word (Word TEXT, id INTEGER PRIMARY KEY)"_qs,
                          u"insert into Word (Word, id) values ('seed', 7)"_qs});
        KeywordWindow window;
        auto* grid = child<QTableView>(&window, u"grdDataGrid"_qs);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"主关键词"_qs);
        QVERIFY(!grid->isColumnHidden(0));
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(grid->model()->index(0, 0).data().toString(), u"seed"_qs);
        child<QPushButton>(&window, u"cmdAdd"_qs)->click();
        QCOMPARE(grid->currentIndex().column(), 0);
        grid->model()->setData(grid->currentIndex(), u"typed"_qs);
        QVERIFY(window.close());
        QVERIFY(messages.shown.isEmpty());
        QSqlQuery query(LocalStore::connection());
        QVERIFY(query.exec(u"select Word from Word order by id"_qs));
        QStringList words;
        while (query.next())
            words.append(query.value(0).toString());
        QCOMPARE(words, (QStringList{u"seed"_qs, u"typed"_qs}));
    }

    void aPassWaitsForTheRefilledList()
    {
        Fixture f(numberedLines(300000));
        f.waitLoaded();
        f.button(u"guolv"_qs)->click();
        QVERIFY(f.window->listBusy());
        QVERIFY(!f.button(u"baocun"_qs)->isEnabled());
        f.button(u"sousuo"_qs)->click();
        // With no seeds in the table the first pass reads the box: all of it, bottom line first.
        QTRY_VERIFY_WITH_TIMEOUT(!f.baidu.searched().isEmpty(), 20000);
        f.button(u"stopsou"_qs)->click();
        QCOMPARE(f.baidu.searched().first(), u"keyword0"_qs);
    }

    void seedsGridWritesTheTable()
    {
        Fixture f({}, {u"one"_qs});
        f.waitLoaded();
        auto* grid = child<QTableView>(f.window, u"grdDataGrid"_qs);
        f.button(u"cmdAdd"_qs)->click();
        QCOMPARE(grid->model()->rowCount(), 2);
        grid->model()->setData(grid->model()->index(1, 1), u"two"_qs);
        f.button(u"cmdAdd"_qs)->click(); // leaving the row writes it
        QCOMPARE(grid->model()->rowCount(), 3);
        grid->model()->setData(grid->model()->index(2, 1), u"three"_qs);
        QVERIFY(f.window->close()); // so does closing
        QVERIFY(f.messages.shown.isEmpty());
        QSqlQuery query(LocalStore::connection());
        QVERIFY(query.exec(u"select Word from Word order by id"_qs));
        QStringList words;
        while (query.next())
            words.append(query.value(0).toString());
        QCOMPARE(words, (QStringList{u"one"_qs, u"two"_qs, u"three"_qs}));
    }

    void deletingTheLastSeedLeavesAnEmptyGrid()
    {
        Fixture f({}, {u"only"_qs});
        f.waitLoaded();
        auto* grid = child<QTableView>(f.window, u"grdDataGrid"_qs);
        grid->setCurrentIndex(grid->model()->index(0, 1));
        f.button(u"cmdDelete"_qs)->click();
        QCOMPARE(grid->model()->rowCount(), 0);
        QVERIFY(f.messages.shown.isEmpty());
    }

    void theRecoveryFileIsWrittenOfferedAndRemoved()
    {
        KeywordWindow::setPacing({50ms, 20ms, 20ms, 1min, 50ms});
        auto fastAgain = qScopeGuard([] { KeywordWindow::setPacing({50ms, 20ms, 20ms}); });
        {
            // A running search keeps the recovery file up to date. The search may be further along by the
            // time the file is first written, so only the seed's words next to each other are certain.
            Fixture f(QByteArray("old\r\n"), {u"k"_qs});
            f.waitLoaded();
            f.button(u"sousuo"_qs)->click();
            QTRY_VERIFY(f.folder.read(u"word.recovery.txt"_qs).contains("k2\r\nk1\r\n"));
            f.button(u"stopsou"_qs)->click();
            // 保存 removes it.
            QVERIFY(f.window->save());
            QVERIFY(!QFile::exists(f.folder.filePath(u"word.recovery.txt"_qs)));
        }
        // A recovery file newer than word.txt is offered: taken ...
        auto leaveRecovery = [](TestFolder& folder) {
            folder.write(u"word.txt"_qs, "saved\r\n");
            folder.write(u"word.recovery.txt"_qs, "found\r\nsaved\r\n");
            QFile recovery(folder.filePath(u"word.recovery.txt"_qs));
            recovery.open(QIODevice::ReadWrite);
            recovery.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        };
        {
            Fixture f;
            leaveRecovery(f.folder);
            f.messages.nextAnswer = true;
            f.window.reset(); // one window has the list at a time
            f.window = std::make_unique<KeywordWindow>();
            f.waitLoaded();
            QCOMPARE(f.messages.questions.size(), 1);
            QCOMPARE(boxText(*f.window), u"found\nsaved\n"_qs);
            QVERIFY(f.window->hasUnsavedResults());
            QVERIFY(f.window->save());
            QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("found\r\nsaved\r\n\r\n"));
            QVERIFY(!QFile::exists(f.folder.filePath(u"word.recovery.txt"_qs)));
        }
        // ... or declined, and then kept until the next save.
        {
            Fixture f;
            leaveRecovery(f.folder);
            f.messages.nextAnswer = false;
            f.window.reset(); // one window has the list at a time
            f.window = std::make_unique<KeywordWindow>();
            f.waitLoaded();
            QCOMPARE(boxText(*f.window), u"saved\n"_qs);
            QVERIFY(f.window->close());
            QVERIFY(QFile::exists(f.folder.filePath(u"word.recovery.txt"_qs)));
        }
    }

    void searchWiring()
    {
        Fixture f(QByteArray("old\r\n"), {u"w1"_qs, u"中"_qs});
        f.waitLoaded();
        f.button(u"sousuo"_qs)->click();
        QVERIFY(!f.button(u"sousuo"_qs)->isEnabled());
        QVERIFY(!f.button(u"baocun"_qs)->isEnabled());
        QVERIFY(f.button(u"stopsou"_qs)->isEnabled());
        QTRY_VERIFY(boxText(*f.window).endsWith(u"w12\nw11\n中2\n中1\nold\n"_qs));
        // 二级 takes over from the next seed.
        child<QRadioButton>(f.window, u"fenlei_1"_qs)->setChecked(true);
        QTRY_VERIFY(boxText(*f.window).startsWith(u"old乙\nold甲\n"_qs));
        f.button(u"stopsou"_qs)->click();
        QVERIFY(f.button(u"sousuo"_qs)->isEnabled());
        QVERIFY(child<QLabel>(f.window, u"tongji"_qs)->text().startsWith(u"总共"_qs));
        auto* status = child<QLabel>(f.window, u"searchStatus"_qs);
        QVERIFY(status->text().startsWith(u"已停止（第2轮"_qs));
        // Assistive technology hears what the status says, not only what it is.
        QAccessibleInterface* statusAccessible = QAccessible::queryAccessibleInterface(status);
        QCOMPARE(statusAccessible->text(QAccessible::Name), status->text());
        QCOMPARE(statusAccessible->text(QAccessible::Description), u"搜索状态"_qs);
        // Requests go out as a desktop browser sends them; the result page as if from the home page.
        const QList<TestHttpServer::Request> requests = f.baidu.server.requests();
        QVERIFY(requests.first().userAgent.startsWith("Mozilla/5.0"));
        QCOMPARE(requests.first().acceptLanguage, QByteArray("zh-CN,zh;q=0.9"));
        QCOMPARE(requests.first().method, QByteArray("GET"));
        QVERIFY(!requests.first().hasContentLength);
        QVERIFY(requests.first().referer.isEmpty());
        QCOMPARE(requests.last().referer, "http://" + f.baidu.server.hostPort().toLatin1() + "/");

        // Saving writes where each word came from beside word.txt, and a new window joins it to the list.
        box(*f.window)->insert(u"typed\n"_qs);
        QVERIFY(f.window->save());
        const QByteArray records = f.folder.read(u"word.sources.tsv"_qs);
        QVERIFY2(records.contains("中1\t中\tbaidu\t1\t"), records.constData());
        QVERIFY(f.window->close());
        KeywordWindow again;
        QSignalSpy loaded(&again, &KeywordWindow::loadFinished);
        QVERIFY(loaded.wait(5000));
        QVERIFY(again.exportTo(f.folder.filePath(u"out.csv"_qs)));
        const QString csv = QString::fromUtf8(f.folder.read(u"out.csv"_qs));
        QVERIFY(csv.contains(u"\r\n中1,中,baidu,1,"_qs));
        QVERIFY(csv.contains(u"\r\ntyped,,,,\r\n"_qs));
        QVERIFY(!again.exportTo(f.folder.filePath(u"out.doc"_qs)));
        QVERIFY(f.messages.texts().last().contains(u".csv"_qs));
    }

    void settingsFromTheFileApply()
    {
        Fixture f({}, {u"k"_qs});
        f.folder.write(u"keywords.ini"_qs, f.baidu.ini() + "[filter]\nexclude=乙\n[search]\nsources=baidu-related\n");
        f.window.reset(); // one window has the list at a time
        f.window = std::make_unique<KeywordWindow>();
        f.window->show();
        f.waitLoaded();
        f.button(u"sousuo"_qs)->click();
        // 一级 stays chosen, but the file names the related box.
        QTRY_VERIFY(boxText(*f.window).endsWith(u"k甲\n"_qs));
        f.button(u"stopsou"_qs)->click();
        QVERIFY(!boxText(*f.window).contains(u"乙"_qs));
        QVERIFY(!boxText(*f.window).contains(u"k1"_qs));
        QVERIFY(child<QLabel>(f.window, u"searchStatus"_qs)->text().startsWith(u"baidu-related：已停止"_qs));
    }

    void theSettingsDialogWritesTheFile()
    {
        Fixture f;
        f.folder.write(u"keywords.ini"_qs, f.baidu.ini() + "; mine\n[search]\nafter-seed=3\n");
        f.window.reset(); // one window has the list at a time
        f.window = std::make_unique<KeywordWindow>();
        f.waitLoaded();
        // The dialog is modal: it is answered from the event loop, as a user would, and always closed.
        bool shownAsSaved = false;
        bool reachable = true;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shownAsSaved = child<QDoubleSpinBox>(dialog, u"afterSeed"_qs)->value() == 3.0;
            child<QCheckBox>(dialog, u"source_sogou"_qs)->setChecked(true);
            child<QCheckBox>(dialog, u"skipAsked"_qs)->setChecked(true);
            child<QSpinBox>(dialog, u"depth"_qs)->setValue(2);
            child<QLineEdit>(dialog, u"include"_qs)->setText(u"*seed*|价格"_qs);
            // Every field is reached by its label's mnemonic.
            for (auto* label : dialog->findChildren<QLabel*>())
                reachable = reachable && (!label->buddy() || label->text().contains(u'&'));
            dialog->accept();
        });
        f.button(u"searchSettings"_qs)->click();
        QVERIFY(shownAsSaved);
        QVERIFY(reachable);
        const QString ini = QString::fromUtf8(f.folder.read(u"keywords.ini"_qs));
        QVERIFY2(ini.contains(u"; mine\n[search]\nafter-seed=3\n"_qs), qPrintable(ini));
        const SearchSettings settings = f.window->search()->settings();
        QCOMPARE(settings.sources, QStringList{u"sogou"_qs});
        QVERIFY(settings.skipAsked);
        QCOMPARE(settings.depth, 2);
        QCOMPARE(settings.include, (QStringList{u"*seed*"_qs, u"价格"_qs}));
        QCOMPARE(SearchSettings::load(f.folder.filePath(u"keywords.ini"_qs)).include, settings.include);
    }

    void aSecondWindowOpensTheListReadOnly()
    {
        Fixture f(QByteArray("old\r\n"));
        f.waitLoaded();
        box(*f.window)->setText(u"mine\n"_qs);
        // A recovery file of the first window's, newer than word.txt: the second neither offers nor removes it.
        f.folder.write(u"word.recovery.txt"_qs, "mine\r\n");
        QFile recovery(f.folder.filePath(u"word.recovery.txt"_qs));
        QVERIFY(recovery.open(QIODevice::ReadWrite));
        recovery.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        recovery.close();
        KeywordWindow second;
        QSignalSpy loaded(&second, &KeywordWindow::loadFinished);
        QVERIFY(loaded.wait(5000));
        QVERIFY(second.isListReadOnly());
        QVERIFY(box(second)->isReadOnly());
        QTRY_VERIFY(f.messages.texts().join(u' ').contains(u"只读"_qs));
        QCOMPARE(boxText(second), u"old\n"_qs);
        QVERIFY(f.messages.questions.isEmpty());
        for (const char16_t* name : {u"sousuo", u"guolv", u"baocun"})
            QVERIFY(!child<QPushButton>(&second, QString::fromUtf16(name))->isEnabled());
        QVERIFY(child<QPushButton>(&second, u"exportList"_qs)->isEnabled());
        QVERIFY(!second.save());
        QVERIFY(second.close());
        // The first window's recovery file and list are untouched; it still saves.
        QCOMPARE(f.folder.read(u"word.recovery.txt"_qs), QByteArray("mine\r\n"));
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("old\r\n"));
        QVERIFY(f.window->save());
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("mine\r\n\r\n"));
        QVERIFY(!QFile::exists(f.folder.filePath(u"word.recovery.txt"_qs))); // saving removes it, as ever
        // Once the first is closed, a new window has the list to itself.
        QVERIFY(f.window->close());
        f.window.reset();
        KeywordWindow third;
        QVERIFY(!third.isListReadOnly());
    }

    void newFilesAreTheUsers()
    {
        Fixture f;
        f.waitLoaded();
        box(*f.window)->setText(u"k\n"_qs);
        f.window->search()->records().add(u"k"_qs, {u"s"_qs, u"baidu"_qs, 1, {}});
        QVERIFY(f.window->save());
        QVERIFY(f.window->exportTo(f.folder.filePath(u"out.xlsx"_qs)));
        for (const char16_t* name : {u"word.txt", u"word.sources.tsv", u"out.xlsx"})
            QCOMPARE(QFileInfo(f.folder.filePath(QString::fromUtf16(name))).permissions() &
                         QFileDevice::Permissions(0x7077),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
};

QTEST_MAIN(KeywordWindowTest)
#include "tst_keywordwindow.moc"
