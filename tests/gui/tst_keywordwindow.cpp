#include "base/TextCodec.h"
#include "gui/KeywordWindow.h"
#include "keywordlist/KeywordList.h"
#include "keywords/KeywordFileLoader.h"
#include "keywords/LongTailSearch.h"
#include "support/Child.h"
#include "support/FakeSources.h"
#include "support/MessageRecorder.h"
#include "support/RecordText.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <Qsci/qsciscintilla.h>
#include <QtTest>
#include <QtWidgets>
#include <future>
#include <sys/stat.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

// word.txt as a pipe: reading it blocks until the test writes, so a test can act while it is being read.
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

struct Fixture
{
    TestFolder folder;
    MessageRecorder messages;
    TestHttpServer server;
    std::unique_ptr<KeywordWindow> window;

    explicit Fixture(const QByteArray& wordFile = {}, const QStringList& seeds = {}, const QByteArray& ini = {},
                     const QStringList& statements = {})
    {
        server.setHandler([](const TestHttpServer::Request& request) { return FakeSources::serve(request); });
        const QByteArray base = "http://" + server.hostPort().toLatin1();
        folder.write(u"keywords.ini"_qs, "[hosts]\nsuggest=" + base + "\nsearch=" + base + "/\n" + ini);
        if (!wordFile.isNull())
            folder.write(u"word.txt"_qs, wordFile);
        folder.openStore(statements);
        for (const QString& seed : seeds)
            TestFolder::exec(u"insert into Word (Word) values ('%1')"_qs.arg(seed));
        open();
    }
    // A new window in place of the old one: one window has the list at a time.
    void open()
    {
        window.reset();
        window = std::make_unique<KeywordWindow>();
        window->show();
    }
    bool loaded() const { return QSignalSpy(window.get(), &KeywordWindow::loadFinished).wait(5000); }
    QsciScintilla* box() const { return child<QsciScintilla>(window, u"Langword"_qs); }
    QString text() const { return window->resultBox()->toPlainText(); }
    QPushButton* button(const QString& name) const { return child<QPushButton>(window, name); }
    QString status() const { return child<QLabel>(window, u"searchStatus"_qs)->text(); }
};

// A recovery file newer than word.txt, as a search that was not saved leaves it.
void leaveRecovery(const TestFolder& folder, const QByteArray& content)
{
    folder.write(u"word.recovery.txt"_qs, content);
    QFile recovery(folder.filePath(u"word.recovery.txt"_qs));
    recovery.open(QIODevice::ReadWrite);
    recovery.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
}

QStringList words()
{
    return TestFolder::column(u"select Word from Word order by id"_qs);
}

} // namespace

class KeywordWindowTest : public QObject
{
    Q_OBJECT

private slots:
    // The window's own pauses are not what most tests look at: they run with short ones.
    void initTestCase() { KeywordWindow::setPacing({50ms, 20ms, 20ms}); }

    void loadsSavesAndReloads()
    {
        Fixture f(QByteArray("a,b\r\nc\r\n\"x, y\",\xD6\xD0\r\n\r\n"));
        QVERIFY(f.loaded());
        QCOMPARE(f.text(), u"a\nb\nc\nx, y\n中\n\n"_qs);
        QVERIFY(!f.window->hasUnsavedResults());

        f.box()->setText(u"  新 词\nb\n\n  "_qs);
        QVERIFY(f.window->hasUnsavedResults());
        f.button(u"baocun"_qs)->click();
        QCOMPARE(f.messages.texts(), QStringList{u"已保存！"_qs});
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("\xD0\xC2 \xB4\xCA\r\nb\r\n\r\n\r\n"));
        QVERIFY(!f.window->hasUnsavedResults());

        // A save that fails keeps the file and the unsaved state, and says so.
        QFile::remove(f.folder.filePath(u"word.txt"_qs));
        QDir().mkpath(f.folder.filePath(u"word.txt"_qs));
        f.box()->setText(u"new"_qs);
        QVERIFY(!f.window->save());
        QVERIFY(f.messages.texts().last().startsWith(u"保存失败"_qs));
        QVERIFY(f.window->hasUnsavedResults());
    }

    void aMissingFileIsCreatedEmpty()
    {
        Fixture f;
        QVERIFY(f.loaded());
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray(""));
        QVERIFY(f.folder.exists(u"word.txt"_qs));
        QCOMPARE(f.text(), QString());
        QFile::remove(f.folder.filePath(u"word.txt"_qs));
        f.box()->setText(u"k"_qs);
        QVERIFY(f.window->save()); // saving recreates it, the user's alone
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("k\r\n"));
        f.window->search()->records().add(u"k"_qs, {u"s"_qs, u"baidu"_qs, 1, {}});
        QVERIFY(f.window->save());
        QVERIFY(f.window->exportTo(f.folder.filePath(u"out.xlsx"_qs)));
        for (const QString& name : {u"word.txt"_qs, u"word.sources.tsv"_qs, u"out.xlsx"_qs})
            QCOMPARE(QFileInfo(f.folder.filePath(name)).permissions() & QFileDevice::Permissions(0x7077),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // The filter's list goes back into the box off the GUI thread; a search started meanwhile waits for it.
    void filterKeepsTheFirstOfEqualLines()
    {
        Fixture f(QByteArray("k1\r\nk2\r\nk1\r\nk3\r\n"));
        QVERIFY(f.loaded());
        f.server.hold();
        f.button(u"guolv"_qs)->click();
        QVERIFY(f.window->listBusy());
        QVERIFY(!f.button(u"baocun"_qs)->isEnabled());
        f.button(u"sousuo"_qs)->click();
        QTRY_COMPARE(f.server.requestCount(), 1);
        QCOMPARE(f.text(), u"k3\nk2\nk1\n"_qs);
        QCOMPARE(child<QLabel>(f.window, u"tongji"_qs)->text(), u"总共4个"_qs);
        // With no seeds in the table the first pass reads the filtered list, bottom line first: the
        // filter keeps the first of equal lines and turns the list round.
        QVERIFY(f.server.requests().first().query.startsWith("wd=k1&"));
        QVERIFY(f.window->hasUnsavedResults());
        f.button(u"stopsou"_qs)->click();
        f.server.release();
    }

    void closingWithUnsavedResults_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("cancel") << int(MessageSink::SaveAnswer::Cancel) << false << QByteArray();
        QTest::newRow("discard") << int(MessageSink::SaveAnswer::Discard) << true << QByteArray();
        QTest::newRow("save") << int(MessageSink::SaveAnswer::Save) << true << QByteArray("found\r\n");
    }
    void closingWithUnsavedResults()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(QByteArray, file);
        Fixture f;
        QVERIFY(f.loaded());
        f.box()->setText(u"found"_qs);
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer(answer);
        QCOMPARE(f.window->close(), closes);
        QCOMPARE(f.window->isVisible(), !closes);
        QCOMPARE(f.messages.questions.size(), 1);
        QCOMPARE(f.folder.read(u"word.txt"_qs), file);
    }

    void nothingSavesBeforeTheListIsIn()
    {
        Fixture f;
        BlockedWordFile blocked(f.folder.filePath(u"word.txt"_qs));
        QTRY_VERIFY(f.window->isLoading());
        for (const QString& name : {u"baocun"_qs, u"guolv"_qs})
            QVERIFY(!f.button(name)->isEnabled());
        QVERIFY(f.box()->isReadOnly());
        // Keywords found meanwhile wait for the list, and cannot be saved over the part read so far.
        f.window->insertAtTop({u"typed"_qs});
        QVERIFY(!f.box()->isUndoAvailable());
        QVERIFY(!f.window->save());
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Save;
        QVERIFY(!f.window->close());
        QVERIFY(f.messages.texts().last().contains(u"还没有全部读入"_qs));
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        QVERIFY(f.window->close());
        blocked.release("late\r\n");
        // Once nothing loads, nothing more can arrive: the box keeps what it had when closed.
        QTRY_VERIFY(!f.window->isLoading());
        QCOMPARE(f.text(), u"typed\n"_qs);

        // Destroying the window while the read still blocks must not wait for it. Should it wait, a
        // watchdog ends the read after a while and the test fails, rather than hanging.
        Fixture g;
        BlockedWordFile again(g.folder.filePath(u"word.txt"_qs));
        QTRY_VERIFY(g.window->isLoading());
        std::promise<void> destroyed;
        bool rescued = false;
        std::thread watchdog([&again, &rescued, done = destroyed.get_future()] {
            if (done.wait_for(10s) == std::future_status::timeout) {
                rescued = true;
                again.release("late\r\n");
            }
        });
        g.window.reset();
        destroyed.set_value();
        watchdog.join();
        QVERIFY2(!rescued, "destroying the window waited for the file");
        again.release("late\r\n");
    }

    void seedsGridWritesTheTable()
    {
        Fixture f({}, {}, {},
                  {u"drop table Word"_qs, u"create table Word (Word TEXT, id INTEGER PRIMARY KEY)"_qs,
                   u"insert into Word (Word, id) values ('one', 7)"_qs});
        QVERIFY(f.loaded());
        // The word column is found by its name, wherever the table has it.
        auto* grid = child<QTableView>(f.window, u"grdDataGrid"_qs);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"主关键词"_qs);
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(grid->model()->index(0, 0).data().toString(), u"one"_qs);
        f.button(u"cmdAdd"_qs)->click();
        QCOMPARE(grid->currentIndex().column(), 0);
        grid->model()->setData(grid->currentIndex(), u"two"_qs);
        f.button(u"cmdAdd"_qs)->click(); // leaving the row writes it
        grid->model()->setData(grid->currentIndex(), u"three"_qs);
        QCOMPARE(words(), (QStringList{u"one"_qs, u"two"_qs}));
        QVERIFY(f.window->close()); // so does closing
        QCOMPARE(words(), (QStringList{u"one"_qs, u"two"_qs, u"three"_qs}));
        f.open();
        grid = child<QTableView>(f.window, u"grdDataGrid"_qs);
        for (int i = 0; i < 3; ++i) {
            grid->setCurrentIndex(grid->model()->index(0, 0));
            f.button(u"cmdDelete"_qs)->click();
        }
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(words(), QStringList{});
        f.button(u"cmdAdd"_qs)->click(); // the first row of an empty table
        QCOMPARE(grid->currentIndex().row(), 0);
        QVERIFY(f.messages.shown.isEmpty());
    }

    void searchWiring()
    {
        Fixture f(QByteArray("old\r\n"), {u"w1"_qs, u"中"_qs});
        QVERIFY(f.loaded());
        // The first pass's two seeds are answered; the second pass's first request never is.
        std::atomic<int> answered = 0;
        f.server.setHandler([&answered](const TestHttpServer::Request& request) {
            TestHttpServer::Reply reply = FakeSources::serve(request);
            reply.never = ++answered > 2;
            return reply;
        });
        f.server.hold();
        f.button(u"sousuo"_qs)->click();
        QVERIFY(!f.button(u"sousuo"_qs)->isEnabled());
        QVERIFY(!f.button(u"baocun"_qs)->isEnabled());
        QVERIFY(f.button(u"stopsou"_qs)->isEnabled());
        // 二级 takes over from the next seed: 中 was asked for suggestions, w1 is asked for related searches.
        QTRY_COMPARE(f.server.requestCount(), 1);
        child<QRadioButton>(f.window, u"fenlei_1"_qs)->setChecked(true);
        f.server.release();
        QTRY_COMPARE(f.server.requestCount(), 3);
        QCOMPARE(f.text(), u"w1乙\nw1甲\n中2\n中1\nold\n"_qs);
        f.button(u"stopsou"_qs)->click();
        QVERIFY(f.button(u"sousuo"_qs)->isEnabled());
        QCOMPARE(child<QLabel>(f.window, u"tongji"_qs)->text(), u"总共6个"_qs);
        QVERIFY2(f.status().startsWith(u"已停止（第2轮，本轮新增0个）"_qs), qPrintable(f.status()));
        // Assistive technology hears what the status says, not only what it is.
        QAccessibleInterface* status =
            QAccessible::queryAccessibleInterface(child<QLabel>(f.window, u"searchStatus"_qs));
        QCOMPARE(status->text(QAccessible::Name), f.status());
        QCOMPARE(status->text(QAccessible::Description), u"搜索状态"_qs);
        // Requests go out as a desktop browser sends them; the result page as if from the home page.
        const QList<TestHttpServer::Request> requests = f.server.requests();
        QVERIFY(requests.first().userAgent.startsWith("Mozilla/5.0"));
        QCOMPARE(requests.first().acceptLanguage, QByteArray("zh-CN,zh;q=0.9"));
        QVERIFY(requests.first().referer.isEmpty());
        QCOMPARE(requests.at(1).referer, "http://" + f.server.hostPort().toLatin1() + "/");

        // Saving writes where each word came from beside word.txt, and a new window joins it to the list.
        f.box()->insert(u"typed\n"_qs);
        QVERIFY(f.window->save());
        QVERIFY(f.window->exportTo(f.folder.filePath(u"out.txt"_qs))); // the box's lines, typed ones too
        QCOMPARE(f.folder.read(u"out.txt"_qs), QString(f.text()).replace(u"\n"_qs, u"\r\n"_qs).toUtf8());
        QVERIFY(QString::fromUtf8(f.folder.read(u"word.sources.tsv"_qs)).contains(u"中1\t中\tbaidu\t1\t"_qs));
        f.open();
        QVERIFY(f.loaded());
        QCOMPARE(recordOf(f.window->search()->records(), u"中1"_qs), u"中 baidu 1"_qs);
        QVERIFY(!f.window->exportTo(f.folder.filePath(u"out.doc"_qs)));  // no format of ours
        QVERIFY(!f.window->exportTo(f.folder.filePath(u"word.txt"_qs))); // nor the list itself
        QVERIFY(f.messages.texts().last().contains(u"不能导出到 word.txt"_qs));
    }

    // The records beside the list: sorted and filtered from the keyboard, copied for a spreadsheet,
    // deleted from the list with its undo, and followed live by a search without losing order or selection.
    void recordsWorkbench()
    {
        Fixture f(QByteArray("a\r\nb\r\nc\r\ntyped\r\n"), {u"k"_qs});
        const QByteArray base = "http://" + f.server.hostPort().toLatin1();
        f.folder.write(u"keywords.ini"_qs, "[search]\nsources=360-related\n[hosts]\n360-search=" + base + "\n");
        f.folder.write(u"word.sources.tsv"_qs, "a\tk\t360-related\t1\t\t\t3\t\t500\t\n"
                                               "b\ta\t360-related\t2\t\t\t1\t\t\t\n"
                                               "c\tk\tbaidu-related\t1\t\t\t2\t20\t700\t\n"
                                               "gone\tk\t360-related\t1\t\t\t9\t\t\t\n");
        f.open();
        QVERIFY(f.loaded());
        f.button(u"recordsSwitch"_qs)->click();
        auto* table = child<QTableView>(f.window, u"recordsView"_qs);
        QVERIFY(table->isVisible() && !f.box()->isVisible() && table->hasFocus());
        auto column = [table](int c) {
            QStringList cells;
            for (int row = 0; row < table->model()->rowCount(); ++row)
                cells.append(table->model()->index(row, c).data().toString());
            return cells.join(u' ');
        };
        QCOMPARE(column(0), u"a b c"_qs); // only the list's words, in the order they were found
        QCOMPARE(column(2), u"500  20"_qs);
        // A screen reader reads the header and the cells, and each filter box by its label.
        QAccessibleTableInterface* cells = QAccessible::queryAccessibleInterface(table)->tableInterface();
        QCOMPARE(cells->columnDescription(1), u"次数"_qs);
        QCOMPARE(cells->cellAt(2, 0)->text(QAccessible::Name), u"c"_qs);
        for (const auto& [name, label] :
             {std::pair{u"recordsFilter"_qs, u"筛选"_qs}, {u"recordsMinCount"_qs, u"次数至少"_qs}})
            QVERIFY(QAccessible::queryAccessibleInterface(child<QWidget>(f.window, name))
                        ->text(QAccessible::Name)
                        .startsWith(label));
        auto trigger = [table](const QString& text) {
            for (QAction* action : table->actions()) {
                if (action->text().startsWith(text))
                    return action->trigger();
            }
            QFAIL(qPrintable(text));
        };
        // Sorting from the keyboard: the column of the current cell, from the context menu.
        table->setCurrentIndex(table->model()->index(0, 1));
        trigger(u"按当前列降序"_qs);
        QCOMPARE(column(0), u"a c b"_qs);
        QCOMPARE(table->horizontalHeader()->sortIndicatorSection(), 1);
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(child<QLabel>(f.window, u"recordsPath"_qs)->text(), u"路径：k → c"_qs);
        QCOMPARE(table->model()->index(2, 0).data(Qt::ToolTipRole).toString(), u"k → a → b"_qs);
        QCOMPARE(table->model()->index(1, 2).data(Qt::ToolTipRole).toString(), u"百度：20\n360：700"_qs);

        // Filters, as the list does, and back.
        child<QSpinBox>(f.window, u"recordsMinCount"_qs)->setValue(2);
        QCOMPARE(column(0), u"a c"_qs);
        child<QSpinBox>(f.window, u"recordsMinCount"_qs)->setValue(1);
        QTest::keyClicks(child<QLineEdit>(f.window, u"recordsFilter"_qs), u"B"_qs);
        QTest::keyClick(child<QLineEdit>(f.window, u"recordsFilter"_qs), Qt::Key_Return);
        QCOMPARE(column(0), u"b"_qs);
        child<QLineEdit>(f.window, u"recordsFilter"_qs)->clear();
        QTRY_COMPARE(column(0), u"a c b"_qs);
        auto* source = child<QComboBox>(f.window, u"recordsSource"_qs);
        source->setCurrentIndex(source->findData(u"baidu-related"_qs));
        QCOMPARE(column(0), u"c"_qs);
        source->setCurrentIndex(0);

        // Copied as rows of tab-separated cells, in the order shown.
        auto select = [table](std::initializer_list<int> rows) {
            table->clearSelection();
            for (const int row : rows)
                table->selectionModel()->select(table->model()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        select({2, 0});
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 u"a\t3\t500\t360-related\tk\t\t1\t\nb\t1\t\t360-related\ta\t\t2\t\n"_qs);

        // Deleted from the list and its records together; the list's undo brings both back.
        select({2});
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f.text(), u"a\nc\ntyped\n"_qs);
        QCOMPARE(column(0), u"a c"_qs);
        QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.text(), u"a\nb\nc\ntyped\n"_qs);
        QCOMPARE(column(0), u"a c b"_qs);
        select({1, 2});
        QTest::keyClick(table, Qt::Key_Delete);
        QVERIFY(f.window->save());
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("a\r\ntyped\r\n\r\n"));
        QVERIFY(!f.folder.read(u"word.sources.tsv"_qs).contains("\nc\t"));
        QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);

        // A search adds its words where the order puts them; the selected row stays selected.
        select({1}); // c
        f.button(u"sousuo"_qs)->click();
        QTRY_COMPARE(column(0), u"a c b ko1 ko2"_qs);
        f.button(u"stopsou"_qs)->click();
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 1);
        QCOMPARE(f.window->search()->records().results(1, u"k"), FakeSources::resultsFor(u"k"_qs));

        // The list again, as it was left.
        f.button(u"recordsSwitch"_qs)->click();
        QVERIFY(f.box()->isVisible() && !table->isVisible());
    }

    void theSettingsDialogWritesTheFile()
    {
        Fixture f({}, {}, "; mine\n[search]\nafter-seed=3\nsources=baidu-related\n");
        QVERIFY(f.loaded());
        // The dialog is modal: it is answered from the event loop, as a user would, and always closed.
        bool shownAsSaved = false;
        bool reachable = true;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shownAsSaved = child<QDoubleSpinBox>(dialog, u"afterSeed"_qs)->value() == 3.0 &&
                           child<QCheckBox>(dialog, u"source_baidu-related"_qs)->isChecked();
            child<QCheckBox>(dialog, u"source_baidu-related"_qs)->setChecked(false);
            child<QCheckBox>(dialog, u"source_sogou"_qs)->setChecked(true);
            child<QCheckBox>(dialog, u"skipAsked"_qs)->setChecked(true);
            child<QCheckBox>(dialog, u"expand_digits"_qs)->setChecked(true);
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
        const SearchSettings settings = f.window->search()->settings();
        QCOMPARE(settings.sources, QStringList{u"sogou"_qs});
        QVERIFY(settings.skipAsked);
        QCOMPARE(settings.depth, 2);
        QCOMPARE(settings.expand, QStringList{u"digits"_qs});
        QCOMPARE(settings.include, (QStringList{u"*seed*"_qs, u"价格"_qs}));
    }

    void theRecoveryFileIsWrittenOfferedAndRemoved_data()
    {
        QTest::addColumn<bool>("taken");
        QTest::newRow("taken") << true;
        QTest::newRow("declined") << false;
    }
    void theRecoveryFileIsWrittenOfferedAndRemoved()
    {
        QFETCH(bool, taken);
        KeywordWindow::setPacing({50ms, 20ms, 20ms, 1min, 50ms});
        auto fastAgain = qScopeGuard([] { KeywordWindow::setPacing({50ms, 20ms, 20ms}); });
        // A running search keeps the recovery file up to date.
        Fixture f(QByteArray("saved\r\n"), {u"k"_qs});
        QVERIFY(f.loaded());
        f.button(u"sousuo"_qs)->click();
        QTRY_VERIFY(f.folder.read(u"word.recovery.txt"_qs).contains("k2\r\nk1\r\n"));
        f.button(u"stopsou"_qs)->click();
        // Closed without saving, the window is done with its own recovery file; a save removes it too.
        f.messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        QVERIFY(f.window->close());
        QVERIFY(!f.folder.exists(u"word.recovery.txt"_qs));
        f.messages.clear();

        // One newer than word.txt is offered: taken, it is the list until saved; declined, it stays.
        leaveRecovery(f.folder, "found\r\nsaved\r\n");
        f.messages.nextAnswer = taken;
        f.open();
        QVERIFY(f.loaded());
        QCOMPARE(f.messages.questions.size(), 1);
        QCOMPARE(f.text(), taken ? u"found\nsaved\n"_qs : u"saved\n"_qs);
        QCOMPARE(f.window->hasUnsavedResults(), taken);
        if (taken) {
            QVERIFY(f.window->save());
            QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("found\r\nsaved\r\n\r\n"));
        }
        QVERIFY(f.window->close());
        QCOMPARE(f.folder.exists(u"word.recovery.txt"_qs), !taken);
    }

    void aSecondWindowOpensTheListReadOnly()
    {
        Fixture f(QByteArray("old\r\n"));
        QVERIFY(f.loaded());
        f.box()->setText(u"mine\n"_qs);
        // A recovery file of the first window's: the second neither offers nor removes it.
        leaveRecovery(f.folder, "mine\r\n");
        KeywordWindow second;
        QVERIFY(QSignalSpy(&second, &KeywordWindow::loadFinished).wait(5000));
        QVERIFY(second.isListReadOnly());
        QVERIFY(child<QsciScintilla>(&second, u"Langword"_qs)->isReadOnly());
        QTRY_VERIFY(f.messages.texts().join(u' ').contains(u"只读"_qs));
        QCOMPARE(second.resultBox()->toPlainText(), u"old\n"_qs);
        QVERIFY(f.messages.questions.isEmpty());
        for (const QString& name : {u"sousuo"_qs, u"guolv"_qs, u"baocun"_qs})
            QVERIFY(!child<QPushButton>(&second, name)->isEnabled());
        QVERIFY(child<QPushButton>(&second, u"exportList"_qs)->isEnabled());
        QVERIFY(!second.save());
        QVERIFY(second.close());
        // The first window's recovery file and list are untouched; it still saves.
        QCOMPARE(f.folder.read(u"word.recovery.txt"_qs), QByteArray("mine\r\n"));
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("old\r\n"));
        QVERIFY(f.window->save());
        QCOMPARE(f.folder.read(u"word.txt"_qs), QByteArray("mine\r\n\r\n"));
        // Once the first is gone, a new window has the list to itself.
        f.open();
        QVERIFY(!f.window->isListReadOnly());
    }
};

QTEST_MAIN(KeywordWindowTest)
#include "tst_keywordwindow.moc"
