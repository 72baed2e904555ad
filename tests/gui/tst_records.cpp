#include "base/TextCodec.h"
#include "gui/MaterialImportDialog.h"
#include "gui/ProcessState.h"
#include "gui/RelatedInfoWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/TableEditorWindow.h"
#include "store/CheckedTableModel.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"

#include <QtTest>
#include <QtWidgets>

namespace {

void click(QWidget& window, const QString& name)
{
    child<QPushButton>(&window, name)->click();
}

QString status(QWidget& window)
{
    return child<QLabel>(&window, u"lblStatus"_qs)->text();
}

// The store the record windows edit, and the boxes they would show; nothing waits for a reload yet.
struct Store
{
    TestFolder folder;
    MessageRecorder messages;

    explicit Store(const QStringList& statements = {})
    {
        folder.openStore(statements);
        ProcessState::DataChanged = 0;
    }
};

} // namespace

class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    // The settings window shows the stored choice, and stores what it shows, however it was selected.
    void settingsWindow_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("saved"); // rows, title, body, hang
        QTest::newRow("choice") << u"update suiji set title = 2, body = NULL, hang = 3"_qs
                                << QStringList{u"title_2"_qs, u"body_0"_qs, u"hang_3"_qs} << QStringList{u"hang_2"_qs}
                                << u"1 2 0 2"_qs;
        // A value with no option of its own shows the first option and is written back as it was.
        QTest::newRow("no option") << u"update suiji set title = 7, body = 4, hang = 1"_qs
                                   << QStringList{u"title_0"_qs, u"body_4"_qs, u"hang_1"_qs} << QStringList{}
                                   << u"1 7 4 1"_qs;
        QTest::newRow("chosen back") << u"update suiji set title = 7, body = 1, hang = 1"_qs
                                     << QStringList{u"title_0"_qs} << QStringList{u"title_2"_qs, u"title_0"_qs}
                                     << u"1 0 1 1"_qs;
        QTest::newRow("no row") << u"delete from suiji"_qs << QStringList{u"title_0"_qs, u"body_0"_qs, u"hang_0"_qs}
                                << QStringList{u"body_3"_qs} << u"1 0 3 0"_qs;
    }
    void settingsWindow()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, chosen);
        QFETCH(QString, saved);
        Store store({stored});
        MessageRecorder& messages = store.messages;
        SettingsWindow window;
        window.show();
        for (const QString& name : shown)
            QVERIFY2(child<QRadioButton>(&window, name)->isChecked(), qPrintable(name));
        QVERIFY(!child<QRadioButton>(&window, u"hang_4"_qs)->isEnabled());
        // Selected without a click, as an assistive client's toggle does; each saved in turn.
        for (const QString& name : chosen) {
            child<QRadioButton>(&window, name)->setChecked(true);
            click(window, u"baocun"_qs);
        }
        click(window, u"baocun"_qs);
        QCOMPARE(messages.texts().last(), u"已保存！"_qs);
        QCOMPARE(TestFolder::column(u"select count(*) || ' ' || title || ' ' || body || ' ' || hang from suiji"_qs),
                 QStringList{saved});

        // A store that cannot take the choice: said so, never passed off as saved.
        TestFolder::exec(u"PRAGMA query_only = ON"_qs);
        click(window, u"baocun"_qs);
        QVERIFY(messages.texts().last().startsWith(u"没有保存"_qs));
        TestFolder::exec(u"PRAGMA query_only = OFF"_qs);
        TestFolder::exec(u"drop table suiji"_qs);
        click(window, u"baocun"_qs);
        QVERIFY(messages.texts().last().startsWith(u"没有保存"_qs));
        // Closed, it has the main window reload the material.
        QCOMPARE(ProcessState::DataChanged, qint16(0));
        QVERIFY(window.close());
        QCOMPARE(ProcessState::DataChanged, qint16(100));
    }

    void relatedInformationIsSavedOnClose()
    {
        Store store({u"insert into config (title, Address, tel, qq, about) values ('t', 'a', 'p', 'q', 'x')"_qs});
        RelatedInfoWindow window;
        window.show();
        window.model()->setData(window.model()->index(0, window.model()->fieldIndex(u"tel"_qs)), u"010"_qs);
        QVERIFY(window.close());
        QCOMPARE(ProcessState::DataChanged, qint16(100));
        QCOMPARE(TestFolder::column(u"select tel from config"_qs), QStringList{u"010"_qs});
        QVERIFY(store.messages.shown.isEmpty());
    }

    void editorAddsToAnEmptyTableAndNavigates()
    {
        Store store;
        MessageRecorder& messages = store.messages;
        TableEditorWindow window(TableEditorWindow::Kind::Identifiers);
        window.show();
        QVERIFY(window.grid()->isColumnHidden(window.model()->fieldIndex(u"state"_qs)));
        QCOMPARE(status(window), QString()); // nothing to be on
        click(window, u"cmdNext"_qs);
        click(window, u"cmdPrevious"_qs);
        QCOMPARE(messages.beeps, 0);

        const int biaoshi = window.model()->fieldIndex(u"biaoshi"_qs);
        for (const QString& name : {u"a"_qs, u"b"_qs, u"c"_qs}) {
            window.cmdAdd_Click();
            const int last = window.model()->rowCount() - 1;
            window.model()->setData(window.model()->index(last, biaoshi), name);
            window.model()->setData(window.model()->index(last, window.model()->fieldIndex(u"number"_qs)), 2);
        }
        window.cmdEdit_Click();
        QVERIFY(child<QPushButton>(&window, u"cmdCancel"_qs)->isVisible());
        QVERIFY(!child<QPushButton>(&window, u"cmdImport"_qs)->isVisible());
        window.cmdUpdate_Click();
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
        QCOMPARE(TestFolder::column(u"select biaoshi || state from biao order by id"_qs),
                 (QStringList{u"a0"_qs, u"b0"_qs, u"c0"_qs}));

        // Buttons and keys move through the records; beyond either end they beep.
        click(window, u"cmdFirst"_qs);
        QCOMPARE(status(window), u"Record: 1"_qs);
        click(window, u"cmdPrevious"_qs);
        QCOMPARE(messages.beeps, 1);
        window.grid()->setCurrentIndex(window.model()->index(0, biaoshi));
        QTest::keyClick(window.grid(), Qt::Key_End);
        QCOMPARE(status(window), u"Record: 3"_qs);
        QCOMPARE(window.grid()->currentIndex().column(), biaoshi); // the key went to the window alone
        click(window, u"cmdNext"_qs);
        QCOMPARE(messages.beeps, 2);
        QTest::keyClick(window.grid(), Qt::Key_Home);
        QTest::keyClick(window.grid(), Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(status(window), u"Record: 2"_qs);
        QTest::keyClick(window.grid(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(status(window), u"Record: 3"_qs);

        // Edit mode: the record keys do nothing, the navigation buttons are off; Cancel ends on the first.
        window.cmdEdit_Click();
        QCOMPARE(status(window), u"编辑记录"_qs);
        QVERIFY(!child<QPushButton>(&window, u"cmdNext"_qs)->isEnabled());
        QTest::keyClick(window.grid(), Qt::Key_Home);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QCOMPARE(status(window), u"编辑记录"_qs);
        window.cmdCancel_Click();
        QCOMPARE(status(window), u"Record: 1"_qs);
        QVERIFY(child<QPushButton>(&window, u"cmdAdd"_qs)->isVisibleTo(&window));
        QVERIFY(!child<QPushButton>(&window, u"cmdUpdate"_qs)->isVisibleTo(&window));
        QTest::keyClick(window.grid(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void deletingKeepsTheOtherRows()
    {
        Store store({u"insert into url (url) values ('a.com'), ('b.com'), ('c.com'), ('d.com')"_qs});
        MessageRecorder& messages = store.messages;
        TableEditorWindow window(TableEditorWindow::Kind::Domains);
        const int url = window.model()->fieldIndex(u"url"_qs);
        // A middle record deleted: the next one takes its place, and a second delete removes that one.
        window.cmdFirst_Click();
        window.cmdNext_Click();
        window.cmdDelete_Click();
        QCOMPARE(status(window), u"Record: 2"_qs);
        QCOMPARE(window.model()->index(window.grid()->currentIndex().row(), url).data().toString(), u"c.com"_qs);
        window.cmdDelete_Click();
        QCOMPARE(TestFolder::column(u"select url from url order by id"_qs), (QStringList{u"a.com"_qs, u"d.com"_qs}));
        window.cmdLast_Click();
        window.cmdDelete_Click();
        QCOMPARE(status(window), u"Record: 1"_qs);
        window.cmdFirst_Click();
        window.cmdDelete_Click();
        QCOMPARE(window.model()->rowCount(), 0);
        QCOMPARE(TestFolder::column(u"select url from url"_qs), QStringList{});
        QVERIFY(messages.shown.isEmpty());

        // A delete the store refuses is reported once, and the row stays.
        TestFolder::exec(u"insert into url (url) values ('kept.com')"_qs);
        TestFolder::exec(u"create trigger kept before delete on url begin select raise(abort, 'kept'); end"_qs);
        window.cmdRefresh_Click();
        window.cmdFirst_Click();
        window.cmdDelete_Click();
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(TestFolder::column(u"select url from url"_qs), QStringList{u"kept.com"_qs});
        QCOMPARE(window.model()->rowCount(), 1);
    }

    // Lines pasted into the grid: the dialog says what each becomes; 确定 writes the accepted ones in one go,
    // 取消 nothing, and a write that fails halfway leaves nothing written and says why.
    void pastedLinesAreCheckedThenWritten()
    {
        Store store({u"insert into url (url) values ('old.com')"_qs});
        TableEditorWindow window(TableEditorWindow::Kind::Domains);
        QGuiApplication::clipboard()->setText(
            u"new.com\r\nwww.Example.com.cn\n\nOLD.com\ncom.cn\n例子.中国\t注释\n"_qs);
        auto paste = [&window] {
            QTest::keyClick(window.grid(), Qt::Key_V, Qt::ControlModifier);
            return window.findChild<MaterialImportDialog*>();
        };
        for (const bool accept : {false, true}) {
            MaterialImportDialog* dialog = paste();
            QVERIFY(dialog && dialog->isVisible());
            QVERIFY(child<QLabel>(dialog, u"summary"_qs)
                        ->text()
                        .startsWith(u"将添加 3 行（其中 1 行有改动），拒绝 2 行。"_qs));
            const QAbstractItemModel* lines = dialog->view()->model();
            QCOMPARE(lines->index(1, 2).data().toString(), u"添加，改为 example.com.cn"_qs);
            QCOMPARE(lines->index(2, 0).data().toString(), u"4"_qs);
            QCOMPARE(lines->index(2, 2).data().toString(), u"拒绝：已存在"_qs);
            accept ? dialog->accept() : dialog->reject();
            QTRY_VERIFY(!window.findChild<MaterialImportDialog*>());
        }
        const QStringList written{u"old.com"_qs, u"new.com"_qs, u"example.com.cn"_qs, u"例子.中国"_qs};
        QCOMPARE(TestFolder::column(u"select url from url order by id"_qs), written);
        QCOMPARE(window.model()->rowCount(), 4);

        TestFolder::exec(
            u"create trigger full before insert on url when new.url = 'c.com' begin select raise(abort, 'full'); end"_qs);
        window.addLines(u"a.com\nb.com\nc.com\nd.com"_qs)->accept();
        QTRY_COMPARE(store.messages.shown.size(), 1);
        QVERIFY(store.messages.shown.first().text.contains(u"没有写入任何一行"_qs));
        QCOMPARE(TestFolder::column(u"select url from url order by id"_qs), written);
    }

    // A domain typed by hand is offered in its registrable form, never rewritten unasked; one that can be no
    // domain is refused with the reason; rows already there are left as they are.
    void aTypedDomainIsChecked()
    {
        Store store({u"insert into url (url) values ('www.kept.com')"_qs});
        TableEditorWindow window(TableEditorWindow::Kind::Domains);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The cell's editor open now (the ones closed before may not be gone yet).
        auto editor = [&window] {
            QLineEdit* open = nullptr;
            for (QLineEdit* line : window.grid()->viewport()->findChildren<QLineEdit*>())
                open = line->isVisible() ? line : open;
            return open;
        };
        auto type = [&window, &editor](const QString& text) {
            window.cmdAdd_Click();
            QVERIFY(editor());
            editor()->setText(text);
            QTest::keyClick(editor(), Qt::Key_Return);
        };
        for (const bool change : {true, false}) {
            store.messages.nextAnswer = change;
            type(u"WWW.example%1.com"_qs.arg(int(change)));
            QTRY_COMPARE(store.messages.questions.size(), change ? 1 : 2);
        }
        // A stored row opened and left as it was asks nothing.
        window.cmdFirst_Click();
        window.grid()->edit(window.grid()->currentIndex());
        QTest::keyClick(editor(), Qt::Key_Return);
        type(u"com.cn"_qs);
        QTRY_COMPARE(store.messages.shown.size(), 1);
        QCOMPARE(store.messages.questions.size(), 2);
        QVERIFY(store.messages.texts().first().contains(u"公共后缀"_qs));
        window.cmdRefresh_Click();
        QCOMPARE(TestFolder::column(u"select url from url order by id"_qs),
                 (QStringList{u"www.kept.com"_qs, u"example1.com"_qs, u"WWW.example0.com"_qs}));
    }

    // Identifiers in and out of files: a GB18030 spreadsheet row and a UTF-8 file with its mark read alike;
    // what is exported reads back as it was.
    void identifiersImportedAndExported()
    {
        Store store;
        TableEditorWindow window(TableEditorWindow::Kind::Identifiers);
        QSignalSpy opened(&window, &TableEditorWindow::importDialogOpened);
        store.folder.write(u"gb.csv"_qs, TextCodec::toAnsi(u"标识,数量\r\nShop,12\r\nnews\r\nbad,0\r\n"_qs));
        store.folder.write(u"bom.txt"_qs, "\xEF\xBB\xBF"
                                          "blog\t3\n=cmd\n");
        for (const QString& file : {u"gb.csv"_qs, u"bom.txt"_qs}) {
            window.importFile(store.folder.filePath(file));
            QTRY_COMPARE(opened.size(), file == u"gb.csv" ? 1 : 2);
            opened.last().first().value<QDialog*>()->accept();
        }
        QCOMPARE(TestFolder::column(u"select biaoshi || ' ' || number from biao order by id"_qs),
                 (QStringList{u"shop 12"_qs, u"news 1"_qs, u"blog 3"_qs}));
        QVERIFY(window.exportTo(store.folder.filePath(u"out.csv"_qs)));
        QCOMPARE(store.folder.read(u"out.csv"_qs),
                 "\xEF\xBB\xBF" + u"标识,数量\r\nshop,12\r\nnews,1\r\nblog,3\r\n"_qs.toUtf8());
        QVERIFY(window.exportTo(store.folder.filePath(u"out.txt"_qs)));
        QCOMPARE(store.folder.read(u"out.txt"_qs), QByteArray("shop\t12\r\nnews\t1\r\nblog\t3\r\n"));
    }

    void untouchedNewRowsAreDroppedQuietly()
    {
        Store store;
        MessageRecorder& messages = store.messages;
        messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        {
            TableEditorWindow window(TableEditorWindow::Kind::Domains);
            window.cmdAdd_Click();
            window.cmdRefresh_Click();
            window.cmdAdd_Click();
            window.cmdAdd_Click();
            window.cmdEdit_Click();
            window.cmdUpdate_Click();
            window.cmdAdd_Click();
            QVERIFY(window.close());
        }
        // Every closed editor has the main window reload.
        QCOMPARE(ProcessState::DataChanged, qint16(100));
        ProcessState::DataChanged = 0;
        {
            TableEditorWindow window(TableEditorWindow::Kind::Identifiers);
            window.cmdAdd_Click();
            window.model()->setData(window.grid()->currentIndex(), QString()); // an editor left untouched
            QVERIFY(window.close());
        }
        QCOMPARE(ProcessState::DataChanged, qint16(100));
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
        QVERIFY(messages.questions.isEmpty());
        QCOMPARE(TestFolder::column(u"select count(*) from url union all select count(*) from biao"_qs),
                 (QStringList{u"0"_qs, u"0"_qs}));
    }

    void editsAreNeverDroppedSilently()
    {
        Store store({u"insert into biao (biaoshi, number) values ('a', 1), ('b', 2)"_qs});
        MessageRecorder& messages = store.messages;
        TableEditorWindow first(TableEditorWindow::Kind::Identifiers);
        TableEditorWindow second(TableEditorWindow::Kind::Identifiers);
        const int number = first.model()->fieldIndex(u"number"_qs);

        // A count that is not a number is refused, reported, and the other rows stay.
        first.cmdEdit_Click();
        first.model()->setData(first.model()->index(0, number), u"many"_qs);
        first.cmdUpdate_Click();
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(u"数量只能填数字"_qs));
        QVERIFY(first.editMode());
        first.cmdCancel_Click();
        QCOMPARE(TestFolder::column(u"select number from biao order by id"_qs), (QStringList{u"1"_qs, u"2"_qs}));

        // A row deleted in another window: the edit is not passed off as saved.
        second.cmdFirst_Click();
        second.cmdDelete_Click();
        messages.clear();
        first.model()->setData(first.model()->index(0, number), 5);
        QVERIFY(!first.model()->submitAll());
        QCOMPARE(messages.shown.size(), 0);
        messages.nextSaveAnswer = MessageSink::SaveAnswer::Cancel;
        QVERIFY(!first.close());
        QVERIFY(messages.questions.last().text.contains(u"已在别处被删除"_qs));
        messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        QVERIFY(first.close());
        QCOMPARE(TestFolder::column(u"select biaoshi from biao"_qs), QStringList{u"b"_qs});

        // A store that turned read-only: the failure is shown when the grid leaves the row.
        TestFolder::exec(u"PRAGMA query_only = ON"_qs);
        messages.clear();
        second.model()->setData(second.model()->index(0, number), 9);
        QVERIFY(!second.model()->submit());
        QCOMPARE(messages.shown.size(), 1);
        TestFolder::exec(u"PRAGMA query_only = OFF"_qs);
        QCOMPARE(TestFolder::column(u"select number from biao"_qs), QStringList{u"2"_qs});
        QVERIFY(second.close());
        QCOMPARE(TestFolder::column(u"select number from biao"_qs), QStringList{u"9"_qs});
    }
};

QTEST_MAIN(RecordsTest)
#include "tst_records.moc"
