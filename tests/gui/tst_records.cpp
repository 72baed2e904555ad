#include "gui/ProcessState.h"
#include "gui/RelatedInfoWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/TableEditorWindow.h"
#include "store/CheckedTableModel.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QtTest>

namespace {

QVariantList row(const QString& sql)
{
    QSqlQuery query(LocalStore::connection());
    QVariantList values;
    if (query.exec(sql) && query.next()) {
        for (int i = 0; i < query.record().count(); ++i)
            values.append(query.value(i));
    }
    return values;
}

QStringList column(const QString& sql)
{
    QSqlQuery query(LocalStore::connection());
    QStringList values;
    query.exec(sql);
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

bool checked(QWidget& window, const QString& name)
{
    return child<QRadioButton>(&window, name)->isChecked();
}

void click(QWidget& window, const QString& name)
{
    child<QPushButton>(&window, name)->click();
}

} // namespace

class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void settingsWindowShowsAndSavesTheChoice()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"update suiji set title = 2, body = NULL, hang = 3"_qs});
        ProcessState::DataChanged = 0;
        {
            SettingsWindow window;
            QCOMPARE(window.windowTitle(), u"网站设置"_qs);
            QVERIFY(checked(window, u"title_2"_qs));
            QVERIFY(checked(window, u"body_0"_qs));
            QVERIFY(checked(window, u"hang_3"_qs));
            QVERIFY(!child<QRadioButton>(&window, u"hang_4"_qs)->isEnabled());
            child<QRadioButton>(&window, u"hang_2"_qs)->click(); // 房地产
            click(window, u"baocun"_qs);
            QCOMPARE(messages.texts(), QStringList{u"已保存！"_qs});
            QCOMPARE(row(u"select title, body, hang from suiji"_qs), (QVariantList{2, 0, 2}));
            window.close();
        }
        QCOMPARE(ProcessState::DataChanged, qint16(100));

        // A value with no option of its own shows the first option and is written back as it was.
        QSqlQuery(LocalStore::connection()).exec(u"update suiji set title = 7, body = 4, hang = 1"_qs);
        SettingsWindow odd;
        QVERIFY(checked(odd, u"title_0"_qs));
        QVERIFY(checked(odd, u"body_4"_qs));
        click(odd, u"baocun"_qs);
        QCOMPARE(row(u"select title, body, hang from suiji"_qs), (QVariantList{7, 4, 1}));
    }

    void settingsWindowStoresWhatItShowsAndIgnoresEscape()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"update suiji set title = 7, body = 1, hang = 1"_qs});
        ProcessState::DataChanged = 0;
        SettingsWindow window;
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QCOMPARE(ProcessState::DataChanged, qint16(0));
        // Selected without a click, as an assistive client's toggle does.
        child<QRadioButton>(&window, u"body_3"_qs)->setChecked(true);
        child<QRadioButton>(&window, u"hang_0"_qs)->toggle();
        click(window, u"baocun"_qs);
        QCOMPARE(messages.texts(), QStringList{u"已保存！"_qs});
        QCOMPARE(row(u"select title, body, hang from suiji"_qs), (QVariantList{7, 3, 0}));
        child<QRadioButton>(&window, u"title_2"_qs)->setChecked(true);
        click(window, u"baocun"_qs);
        child<QRadioButton>(&window, u"title_0"_qs)->setChecked(true);
        click(window, u"baocun"_qs);
        QCOMPARE(row(u"select title, body, hang from suiji"_qs), (QVariantList{0, 3, 0}));
        QVERIFY(window.close());
        QCOMPARE(ProcessState::DataChanged, qint16(100));
    }

    void settingsWindowKeepsAChoiceTheStoreLacked()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"delete from suiji"_qs});
        SettingsWindow window;
        child<QRadioButton>(&window, u"body_3"_qs)->click();
        click(window, u"baocun"_qs);
        QCOMPARE(row(u"select count(*), title, body, hang from suiji"_qs), (QVariantList{1, 0, 3, 0}));

        QSqlQuery(LocalStore::connection()).exec(u"drop table suiji"_qs);
        messages.clear();
        click(window, u"baocun"_qs);
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.startsWith(u"没有保存"_qs));
    }

    void editorAddsToAnEmptyTableAndNavigates()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore();
        TableEditorWindow window(TableEditorWindow::Kind::Identifiers);
        window.show();
        QCOMPARE(window.windowTitle(), u"子域名管理"_qs);
        QCOMPARE(window.model()->headerData(window.model()->fieldIndex(u"biaoshi"_qs), Qt::Horizontal).toString(),
                 u"标识"_qs);
        QVERIFY(window.grid()->isColumnHidden(window.model()->fieldIndex(u"state"_qs)));
        click(window, u"cmdNext"_qs);
        click(window, u"cmdPrevious"_qs);
        QCOMPARE(messages.beeps, 0);

        for (const QString& name : {u"a"_qs, u"b"_qs, u"c"_qs}) {
            window.cmdAdd_Click();
            QAbstractItemModel* model = window.model();
            const int last = model->rowCount() - 1;
            model->setData(model->index(last, window.model()->fieldIndex(u"biaoshi"_qs)), name);
            model->setData(model->index(last, window.model()->fieldIndex(u"number"_qs)), 2);
        }
        window.cmdEdit_Click();
        window.cmdUpdate_Click();
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
        QCOMPARE(column(u"select biaoshi from biao order by id"_qs), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
        QCOMPARE(column(u"select state from biao"_qs), (QStringList{u"0"_qs, u"0"_qs, u"0"_qs}));

        auto* status = child<QLabel>(&window, u"lblStatus"_qs);
        click(window, u"cmdFirst"_qs);
        QCOMPARE(status->text(), u"Record: 1"_qs);
        click(window, u"cmdPrevious"_qs);
        QCOMPARE(messages.beeps, 1);
        QTest::keyClick(window.grid(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(status->text(), u"Record: 3"_qs);
        click(window, u"cmdNext"_qs);
        QCOMPARE(messages.beeps, 2);
        QCOMPARE(status->text(), u"Record: 3"_qs);
        QTest::keyClick(window.grid(), Qt::Key_Home);
        QTest::keyClick(window.grid(), Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(status->text(), u"Record: 2"_qs);

        // Edit mode: the record keys do nothing, the navigation buttons are off; Cancel ends on the first.
        window.cmdEdit_Click();
        QCOMPARE(status->text(), u"编辑记录"_qs);
        QVERIFY(!child<QPushButton>(&window, u"cmdNext"_qs)->isEnabled());
        QTest::keyClick(&window, Qt::Key_End);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QCOMPARE(status->text(), u"编辑记录"_qs);
        window.cmdCancel_Click();
        QCOMPARE(status->text(), u"Record: 1"_qs);
        QVERIFY(child<QPushButton>(&window, u"cmdAdd"_qs)->isVisibleTo(&window));
        QVERIFY(!child<QPushButton>(&window, u"cmdUpdate"_qs)->isVisibleTo(&window));

        ProcessState::DataChanged = 0;
        QTest::keyClick(window.grid(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        QCOMPARE(ProcessState::DataChanged, qint16(100));
    }

    void deletingKeepsTheOtherRows()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"insert into url (url) values ('a.com'), ('b.com'), ('c.com'), ('d.com')"_qs});
        TableEditorWindow window(TableEditorWindow::Kind::Domains);
        QVERIFY(window.windowTitle().startsWith(u"主域名[只添加一级域名，如"_qs));
        auto* status = child<QLabel>(&window, u"lblStatus"_qs);
        const int url = window.model()->fieldIndex(u"url"_qs);
        // A middle record deleted: the next one takes its place, and a second delete removes that one.
        window.cmdFirst_Click();
        window.cmdNext_Click();
        window.cmdDelete_Click();
        QCOMPARE(status->text(), u"Record: 2"_qs);
        QCOMPARE(window.model()->index(window.grid()->currentIndex().row(), url).data().toString(), u"c.com"_qs);
        window.cmdDelete_Click();
        QCOMPARE(column(u"select url from url order by id"_qs), (QStringList{u"a.com"_qs, u"d.com"_qs}));
        window.cmdLast_Click();
        window.cmdDelete_Click();
        QCOMPARE(status->text(), u"Record: 1"_qs);
        window.cmdFirst_Click();
        window.cmdDelete_Click();
        QCOMPARE(window.model()->rowCount(), 0);
        QCOMPARE(column(u"select url from url"_qs), QStringList{});
        QVERIFY(messages.shown.isEmpty());
    }

    void aFailedDeleteIsReportedOnce()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"insert into url (url) values ('a.com')"_qs,
                          u"create trigger kept before delete on url begin select raise(abort, 'kept'); end"_qs});
        TableEditorWindow window(TableEditorWindow::Kind::Domains);
        window.cmdFirst_Click();
        window.cmdDelete_Click();
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(column(u"select url from url"_qs), QStringList{u"a.com"_qs});
        QCOMPARE(window.model()->rowCount(), 1);
    }

    void untouchedNewRowsAreDroppedQuietly()
    {
        TestFolder folder;
        MessageRecorder messages;
        messages.nextSaveAnswer = MessageSink::SaveAnswer::Discard;
        folder.openStore();
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
        {
            TableEditorWindow window(TableEditorWindow::Kind::Identifiers);
            window.cmdAdd_Click();
            window.model()->setData(window.grid()->currentIndex(), QString()); // an editor left untouched
            QVERIFY(window.close());
        }
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
        QVERIFY(messages.questions.isEmpty());
        QCOMPARE(column(u"select count(*) from url"_qs), QStringList{u"0"_qs});
        QCOMPARE(column(u"select count(*) from biao"_qs), QStringList{u"0"_qs});
    }

    void editsAreNeverDroppedSilently()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"insert into biao (biaoshi, number) values ('a', 1), ('b', 2)"_qs});
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
        QCOMPARE(column(u"select number from biao order by id"_qs), (QStringList{u"1"_qs, u"2"_qs}));

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
        QCOMPARE(column(u"select biaoshi from biao"_qs), QStringList{u"b"_qs});

        // A store that turned read-only: the failure is shown when the grid leaves the row.
        QSqlQuery(LocalStore::connection()).exec(u"PRAGMA query_only = ON"_qs);
        messages.clear();
        second.model()->setData(second.model()->index(0, number), 9);
        QVERIFY(!second.model()->submit());
        QCOMPARE(messages.shown.size(), 1);
        QSqlQuery(LocalStore::connection()).exec(u"PRAGMA query_only = OFF"_qs);
        QCOMPARE(column(u"select number from biao"_qs), QStringList{u"2"_qs});
        QVERIFY(second.close());
        QCOMPARE(column(u"select number from biao"_qs), QStringList{u"9"_qs});
    }

    void relatedInformationGrid()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore({u"insert into config (title, Address, tel, qq, about) values ('t', 'a', 'p', 'q', 'x')"_qs});
        ProcessState::DataChanged = 0;
        RelatedInfoWindow window;
        window.show();
        QHeaderView* header = window.grid()->horizontalHeader();
        QStringList captions;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!header->isSectionHidden(logical))
                captions.append(window.model()->headerData(logical, Qt::Horizontal).toString());
        }
        QCOMPARE(captions, (QStringList{u"单位"_qs, u"地址"_qs, u"电话"_qs, u"Q Q"_qs, u"简介"_qs}));
        window.model()->setData(window.model()->index(0, window.model()->fieldIndex(u"tel"_qs)), u"010-1"_qs);
        const int gridHeight = window.grid()->height();
        window.resize(window.width() + 50, window.height() + 40);
        QCOMPARE(window.grid()->height(), gridHeight + 40);
        QVERIFY(window.close());
        QCOMPARE(column(u"select tel from config"_qs), QStringList{u"010-1"_qs});
        QCOMPARE(ProcessState::DataChanged, qint16(100));
    }
};

QTEST_MAIN(RecordsTest)
#include "tst_records.moc"
