#include "base/FormEncoding.h"
#include "base/TextCodec.h"
#include "gui/MainWindow.h"
#include "gui/PasswordWindow.h"
#include "gui/ProcessState.h"
#include "gui/RowPanel.h"
#include "service/ServiceConnection.h"
#include "service/TransferControl.h"
#include "store/LocalStore.h"
#include "store/MaterialSnapshot.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QStringList kFilledStore = {
    u"insert into url (url) values ('a.com')"_qs,
    u"insert into url (url) values ('b.cn')"_qs,
    u"insert into biao (biaoshi, number, state) values ('北京', 3, 0)"_qs,
    u"insert into biao (biaoshi, number, state) values ('s h', 1, 1)"_qs,
    u"insert into biao (biaoshi, number, state) values ('zero', 0, 0)"_qs,
    u"insert into config (title, Address, tel, qq, about) values ('北京 公司', '路 1', NULL, '123', '简介 & 更多')"_qs,
    u"insert into config (title, Address, tel, qq, about) values ('second', 'x', 'y', 'z', 'w')"_qs,
    u"update suiji set title = 2, body = 0, hang = 3"_qs,
};

// The next control the Tab key reaches from a widget.
QWidget* nextTabStop(QWidget* widget)
{
    QWidget* next = widget->nextInFocusChain();
    while (next != widget &&
           !((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisibleTo(widget->window())))
        next = next->nextInFocusChain();
    return next;
}

int stateOf(int id)
{
    QSqlQuery query(LocalStore::connection());
    query.exec(u"select state from biao where id = %1"_qs.arg(id));
    return query.next() ? query.value(0).toInt() : -1;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        TestFolder folder;
        MessageRecorder messages;
        TestHttpServer server;
        ServiceConnection service;
        std::unique_ptr<MainWindow> window;

        explicit Fixture(const QStringList& statements = kFilledStore, std::chrono::milliseconds timeout = 5s)
        {
            folder.openStore(statements);
            service.setServerAddr(u"http://"_qs + server.hostPort());
            ProcessState::DataChanged = 0;
            window = std::make_unique<MainWindow>(service, nullptr, timeout);
            window->show();
        }
        template <typename T> T* find(const QString& name) const { return child<T>(window, name); }
        // Clicks and waits for the main window's request to end.
        void clickAndWait(QAbstractButton* button)
        {
            QSignalSpy finished(window->workInet(), &TransferControl::finished);
            button->click();
            QVERIFY(finished.wait(10000));
        }
        QByteArray lastBody() const
        {
            return server.requests().isEmpty() ? QByteArray() : server.requests().last().body;
        }
    };

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void snapshotReadsTheFourQueries()
    {
        TestFolder folder;
        QVERIFY(folder.openStore(kFilledStore +
                                 QStringList{u"insert into biao (biaoshi, number, state) values (NULL, NULL, NULL)"_qs,
                                             u"insert into url (url) values (NULL)"_qs}));
        const MaterialSnapshot material = MaterialSnapshot::read(LocalStore::connection());
        QCOMPARE(material.domains, (QStringList{u"a.com"_qs, u"b.cn"_qs}));
        QCOMPARE(material.urlJoined, u"a.com|*|b.cn|*|"_qs);
        QCOMPARE(material.biaoshiJoined, u"北京|*|s h|*|zero|*|"_qs); // a Null identifier adds nothing
        QCOMPARE(int(material.rows.size()), 4);
        QCOMPARE(material.rows[0].number, std::optional<QString>(u"3"_qs));
        QVERIFY(!material.rows[0].viewEnabled);
        QVERIFY(material.rows[1].viewEnabled);
        QVERIFY(!material.rows[3].biaoshi);
        QVERIFY(material.rows[3].viewEnabled); // a Null state counts as requested
        QVERIFY(material.contact);
        QCOMPARE((*material.contact)[0], u"北京 公司"_qs); // the first row only
        QCOMPARE((*material.contact)[2], u"-"_qs);
        QCOMPARE(*(*material.material)[0], u"2"_qs);
        QCOMPARE(*(*material.material)[2], u"3"_qs);

        LocalStore::close();
        const MaterialSnapshot nothing = MaterialSnapshot::read(LocalStore::connection());
        QVERIFY(nothing.domains.isEmpty() && nothing.rows.empty() && !nothing.contact && !nothing.material);
    }

    void showsTheMaterial()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), u"Quillon建站－站群"_qs);
        QCOMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 2);
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->text(), u"北京"_qs);
        QCOMPARE(f.find<QLineEdit>(u"zi_shu_1"_qs)->text(), u"1"_qs);
        QVERIFY(!f.find<QPushButton>(u"zi_cha_0"_qs)->isEnabled());
        QVERIFY(f.find<QPushButton>(u"zi_cha_1"_qs)->isEnabled());
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_1"_qs)->y(), 42);
        QCOMPARE(f.find<QLineEdit>(u"xg_dh"_qs)->text(), u"-"_qs);
        QVERIFY(f.find<QLineEdit>(u"xg_dw"_qs)->isReadOnly());
        QCOMPARE(f.find<QPlainTextEdit>(u"xg_jj"_qs)->toPlainText(), u"简介 & 更多"_qs);
        QCOMPARE(f.find<QLineEdit>(u"suiji_0"_qs)->text(), u"2"_qs);
        QVERIFY(!f.find<QLineEdit>(u"suiji_0"_qs)->isVisible());
        QVERIFY(!f.find<QScrollBar>(u"VScroll1"_qs)->isVisible());
        QCOMPARE(f.window->UrlJoined(), u"a.com|*|b.cn|*|"_qs);
        // A single row is shown whole.
        auto* panel = f.window->rowPanel();
        QVERIFY(panel->height() >= f.find<QPushButton>(u"zi_shen_2"_qs)->geometry().bottom());
    }

    void scrollBarReachesEveryRow()
    {
        QStringList rows;
        for (int i = 0; i < 5; ++i)
            rows << u"insert into biao (biaoshi, number, state) values ('r%1', 2, 0)"_qs.arg(i);
        Fixture f(rows);
        auto* bar = f.find<QScrollBar>(u"VScroll1"_qs);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->singleStep(), 25);

        QSqlQuery(LocalStore::connection()).exec(u"delete from biao where biaoshi = 'r4'"_qs);
        f.window->Body_url();
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->maximum(), 75);
        // The row of the deleted identifier is not left on screen with its old text.
        QVERIFY(!f.find<QLineEdit>(u"zi_biao_4"_qs)->isVisible());
        QCOMPARE(f.window->BiaoshiJoined(), u"r0|*|r1|*|r2|*|r3|*|"_qs);

        // Many rows: the range grows so the last row can be brought into view.
        QSqlQuery query(LocalStore::connection());
        for (int i = 0; i < 200; ++i)
            query.exec(u"insert into biao (biaoshi, number, state) values ('m%1', 2, 0)"_qs.arg(i));
        f.window->Body_url();
        bar->setValue(bar->maximum());
        QLineEdit* last = f.window->rowPanel()->biao(203);
        QCOMPARE(last->text(), u"m199"_qs);
        const QPoint bottom = last->mapTo(f.find<QWidget>(u"Picture1"_qs), QPoint(0, last->height()));
        QVERIFY(bottom.y() <= f.find<QWidget>(u"Picture1"_qs)->height());
        QVERIFY(bottom.y() > 0);

        // A row reached with the keyboard comes into view.
        bar->setValue(0);
        QLineEdit* far = f.window->rowPanel()->biao(40);
        far->setFocus();
        QFocusEvent focusIn(QEvent::FocusIn);
        QApplication::sendEvent(far, &focusIn);
        const int farTop = far->mapTo(f.find<QWidget>(u"Picture1"_qs), QPoint(0, 0)).y();
        QVERIFY(farTop >= 0 && farTop + far->height() <= f.find<QWidget>(u"Picture1"_qs)->height());

        // Scrolled down, then the list shrinks until the bar goes: the first row is on screen again.
        bar->setValue(bar->maximum());
        query.exec(u"delete from biao where biaoshi like 'm%'"_qs);
        f.window->Body_url();
        QVERIFY(!bar->isVisible());
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->mapTo(f.find<QWidget>(u"Picture1"_qs), QPoint(0, 0)).y(),
                 f.find<QLineEdit>(u"zi_biao_0"_qs)->y());
        QCOMPARE(f.window->rowPanel()->y(), 0);
    }

    void anEmptyTableShowsTheDesignRow()
    {
        Fixture f;
        QSqlQuery(LocalStore::connection()).exec(u"delete from biao"_qs);
        f.window->Body_url();
        QVERIFY(f.find<QLineEdit>(u"zi_biao_0"_qs)->isVisible());
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->text(), QString());
        QVERIFY(!f.find<QLineEdit>(u"zi_biao_1"_qs)->isVisible());
        f.find<QPushButton>(u"zi_shen_0"_qs)->click();
        QCOMPARE(f.messages.texts(), QStringList{u"标识符不能为空！"_qs});
        QCOMPARE(f.server.requestCount(), 0);
    }

    void reloadsOnActivationOnlyAfterAChange()
    {
        Fixture f;
        QSqlQuery(LocalStore::connection()).exec(u"insert into url (url) values ('c.net')"_qs);
        f.window->Form_Activate();
        QCOMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 2);
        ProcessState::DataChanged = 100;
        QApplication::setActiveWindow(f.window.get());
        QTRY_COMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 3);
        QCOMPARE(ProcessState::DataChanged, qint16(0));
    }

    void editorWindowsOpenFreshAndReloadTheView()
    {
        Fixture f;
        f.find<QAction>(u"mnuDatamydata"_qs)->trigger();
        f.find<QAction>(u"mnuDatamydata"_qs)->trigger();
        const QList<QWidget*> editors = f.window->openWindows();
        QCOMPARE(editors.size(), 2);
        QVERIFY(editors[0] != editors[1]);
        QCOMPARE(editors[0]->objectName(), u"url"_qs);
        QSqlQuery(LocalStore::connection()).exec(u"insert into url (url) values ('new.org')"_qs);
        editors[1]->close();
        QCOMPARE(ProcessState::DataChanged, qint16(100));
        f.window->Form_Activate();
        QCOMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 3);
        QCOMPARE(ProcessState::DataChanged, qint16(0));
        // The keyword window is one: the menu brings back the open one rather than a second.
        for (const QString& item :
             {u"mnuDatamydata_zi"_qs, u"mnuDatamydata_xianguan"_qs, u"Wordkey"_qs, u"shezhi"_qs, u"Wordkey"_qs})
            f.find<QAction>(item)->trigger();
        QStringList names;
        for (QWidget* opened : f.window->openWindows())
            names.append(opened->objectName());
        QCOMPARE(names, (QStringList{u"url"_qs, u"biaoshi"_qs, u"xiangguan"_qs, u"Word"_qs, u"suiji"_qs}));
        QVERIFY(f.window->close());
        QVERIFY(f.messages.questions.isEmpty());
    }

    void uploadSendsTheWholeMaterial()
    {
        Fixture f;
        f.folder.write(u"word.txt"_qs, QByteArray("\xB9\xD8\xBC\xFC,\"a, b\"\r\n  c\r\nd\r\n"));
        f.server.setReply("2");
        f.clickAndWait(f.find<QPushButton>(u"baocun"_qs));
        QCOMPARE(f.lastBody(),
                 QByteArray("action=UWork&Contact=%B1%B1%BE%A9%20%B9%AB%CB%BE|*|%C2%B7%201|*|-|*|123|*|"
                            "%BC%F2%BD%E9%20%26%20%B8%FC%B6%E0|*|&url=a.com|*|b.cn|*|&biaoshi=\xB1\xB1\xBE\xA9|*|s h|*|"
                            "zero|*|&Word=\xB9\xD8\xBC\xFC|*|a, b|*|c|*|d|*|"));
        QCOMPARE(f.messages.texts(), QStringList{u"成功保存!"_qs});
        QCOMPARE(f.window->statusText(), u"成功保存!"_qs);
    }

    void uploadWithoutKeywordFileOrStore()
    {
        Fixture f(QStringList{u"delete from suiji"_qs});
        f.server.setReply("1");
        f.clickAndWait(f.find<QPushButton>(u"baocun"_qs));
        QCOMPARE(f.lastBody(), QByteArray("action=UWork&Contact=|*||*||*||*||*|&url=&biaoshi=&Word="));
        QCOMPARE(f.messages.texts(), (QStringList{u"不存在"_qs, u"服务器错误,重试..."_qs}));
        QCOMPARE(f.window->statusText(), u"向主机发送数据完毕"_qs);
    }

    void generationRequestMarksTheRow_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("2") << QByteArray("2") << true << QStringList{u"成功保存!"_qs};
        QTest::newRow("0") << QByteArray("0") << true << QStringList{u"请不要非法操作！"_qs};
        QTest::newRow("long") << QByteArray("<html>") << true << QStringList{u"网络中断或服务器超时！！"_qs};
        QTest::newRow("no reply") << QByteArray() << false << QStringList{};
    }
    void generationRequestMarksTheRow()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, reachable);
        QFETCH(QStringList, messages);
        Fixture f;
        f.server.setReply(reply);
        if (!reachable)
            f.service.setServerAddr(u"http://127.0.0.1:%1"_qs.arg(TestHttpServer::closedPort()));
        QVERIFY(!f.find<QPushButton>(u"zi_cha_0"_qs)->isEnabled());
        f.clickAndWait(f.find<QPushButton>(u"zi_shen_0"_qs));
        if (reachable)
            QCOMPARE(f.lastBody(), QByteArray("action=madeweb&Biaoshi=\xB1\xB1\xBE\xA9&shuliang=3&Ltitle=2&Lbody=0"
                                              "&Lhang=3&Ljj=\xBC\xF2\xBD\xE9 %26 \xB8\xFC\xB6\xE0"));
        QCOMPARE(f.messages.texts(), messages);
        QCOMPARE(stateOf(1), 1);
        QVERIFY(f.find<QPushButton>(u"zi_cha_0"_qs)->isEnabled());
        f.window->Body_url();
        QVERIFY(f.find<QPushButton>(u"zi_cha_0"_qs)->isEnabled());
    }

    void generationChecksTheRowFirst()
    {
        Fixture f;
        f.find<QPushButton>(u"zi_shen_2"_qs)->click(); // count 0
        QCOMPARE(f.messages.texts(), QStringList{u"数量必须大于1"_qs});
        QVERIFY(!f.window->workInet()->stillExecuting()); // refused before anything was sent
        QCOMPARE(stateOf(3), 0);

        f.server.setReply("2");
        f.clickAndWait(f.find<QPushButton>(u"zi_shen_1"_qs)); // a count of 1 passes
        QVERIFY(f.lastBody().contains("&shuliang=1&"));
    }

    void countsThatAreNoFiniteNumberAreRefused()
    {
        Fixture f({u"insert into biao (biaoshi, number) values ('a', 1), ('b', 2)"_qs});
        for (const QString& count : {u"nan"_qs, u"inf"_qs, u"-inf"_qs, u"1e999"_qs}) {
            f.window->rowPanel()->shu(0)->setText(count);
            f.find<QPushButton>(u"zi_shen_0"_qs)->click();
        }
        QCOMPARE(f.messages.texts(), QStringList(4, u"数量必须大于1"_qs));
        QVERIFY(!f.window->workInet()->stillExecuting());
    }

    void theIntroductionIsSentAsStored()
    {
        Fixture f({u"insert into biao (biaoshi, number) values ('a', 1)"_qs,
                   u"insert into config (about) values ('一行\r\n二\u00a0行 ')"_qs});
        f.server.setReply("2");
        f.clickAndWait(f.find<QPushButton>(u"zi_shen_0"_qs));
        const QString stored = u"一行\r\n二"_qs + QChar(0xA0) + u"行"_qs;
        const QByteArray sent = f.lastBody().mid(f.lastBody().indexOf("&Ljj=") + 5);
        QCOMPARE(sent, TextCodec::toAnsi(stored));
        f.clickAndWait(f.find<QPushButton>(u"baocun"_qs));
        const QByteArray contact = EncodeFormValue(stored).toLatin1() + "|*|&url=";
        QVERIFY(f.lastBody().contains(contact));
        // Text put into the box goes out with CR LF line breaks, as the box makes them.
        f.find<QPlainTextEdit>(u"xg_jj"_qs)->setPlainText(u"x\ny"_qs);
        f.clickAndWait(f.find<QPushButton>(u"zi_shen_0"_qs));
        QVERIFY(f.lastBody().endsWith("&Ljj=x\r\ny"));
    }

    void theReplyMarksTheRowThatShowsTheIdentifier()
    {
        Fixture f({u"insert into biao (biaoshi, number, state) values ('A', 2, 1), ('B', 2, 0), ('C', 2, 0)"_qs});
        f.server.setReply("2");
        f.server.hold();
        QSignalSpy finished(f.window->workInet(), &TransferControl::finished);
        f.find<QPushButton>(u"zi_shen_1"_qs)->click(); // B
        QTRY_COMPARE(f.server.requestCount(), 1);
        // While the request waits, A goes and the view reloads: B is now the first row.
        QSqlQuery(LocalStore::connection()).exec(u"delete from biao where biaoshi = 'A'"_qs);
        ProcessState::DataChanged = 100;
        f.window->Form_Activate();
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->text(), u"B"_qs);
        f.server.release();
        QVERIFY(finished.wait(10000));
        QVERIFY(f.find<QPushButton>(u"zi_cha_0"_qs)->isEnabled());
        QVERIFY(!f.find<QPushButton>(u"zi_cha_1"_qs)->isEnabled());
        QCOMPARE(stateOf(2), 1);
        QCOMPARE(stateOf(3), 0);
    }

    void anIdThatIsNoWholeNumberMarksNothing()
    {
        // A store made by another tool, whose ids are text.
        Fixture f({u"drop table biao"_qs,
                   u"create table biao (id TEXT, biaoshi TEXT, number INTEGER, state INTEGER)"_qs,
                   u"insert into biao values ('1e300', 'x', 2, 0)"_qs});
        f.server.setReply("2");
        f.clickAndWait(f.find<QPushButton>(u"zi_shen_0"_qs));
        QVERIFY(!f.find<QPushButton>(u"zi_cha_0"_qs)->isEnabled());
    }

    void aRequestWhileOneRunsIsRefused()
    {
        Fixture f;
        std::atomic<int> calls{0};
        f.server.setHandler([&calls](const TestHttpServer::Request&) {
            ++calls;
            TestHttpServer::Reply reply{"2"};
            return reply;
        });
        QSignalSpy finished(f.window->workInet(), &TransferControl::finished);
        f.find<QPushButton>(u"zi_shen_0"_qs)->click();
        f.find<QPushButton>(u"zi_shen_2"_qs)->click(); // refused at the count check, before anything else
        f.find<QPushButton>(u"baocun"_qs)->click();
        QVERIFY(finished.wait(10000));
        QVERIFY(!f.window->workInet()->stillExecuting());
        QCOMPARE(calls.load(), 1);
        QCOMPARE(stateOf(1), 1);
        QCOMPARE(stateOf(3), 0);
        QVERIFY(f.messages.texts().contains(u"上一个请求还在进行中，请等它完成后再试。"_qs));
    }

    void closingWhileWaitingLeavesTheRowAlone()
    {
        Fixture f;
        f.server.setSilent();
        f.find<QPushButton>(u"zi_shen_0"_qs)->click();
        QTRY_COMPARE(f.server.requestCount(), 1);
        QVERIFY(f.window->close());
        f.window.reset();
        // The window is gone, and with it whatever would have marked the row.
        QCOMPARE(stateOf(1), 0);
    }

    void menusAndStatusBar()
    {
        Fixture f;
        auto* toggle = f.find<QAction>(u"mnuViewStatusBar"_qs);
        QVERIFY(toggle->isChecked());
        toggle->trigger();
        QVERIFY(!toggle->isChecked());
        QVERIFY(!f.window->statusBar()->isVisible());
        toggle->trigger();
        QVERIFY(toggle->isChecked());
        QVERIFY(f.window->statusBar()->isVisible());

        f.find<QAction>(u"mnuHelpAbout"_qs)->trigger();
        QCOMPARE(f.messages.shown.last().text, u"版本 1.0.0"_qs);
        QCOMPARE(f.messages.shown.last().title, u"Quillon建站1.0A版-站群"_qs);
        QCOMPARE(f.find<QAction>(u"mnuHelpAbout"_qs)->text(), u"软件介绍(&A) "_qs);
        QVERIFY(!f.find<QLabel>(u"sbStatusBar_Panel3"_qs)->text().isEmpty());
    }

    void closingClosesEveryWindowAndStoresThePosition()
    {
        {
            QSettings settings(u"Quillon"_qs, u"Quillon建站1.0A版-站群"_qs);
            settings.clear();
        }
        Fixture f;
        f.find<QAction>(u"modmima"_qs)->trigger();
        f.find<QAction>(u"modmima"_qs)->trigger();
        f.find<QAction>(u"modmima"_qs)->trigger();
        QList<QPointer<QWidget>> windows;
        for (QWidget* window : f.window->openWindows())
            windows.append(window);
        QCOMPARE(windows.size(), 3);
        QVERIFY(windows[2]->isVisible());
        QVERIFY(f.window->close());
        QTRY_VERIFY(!windows[0] && !windows[1] && !windows[2]);

        // Destroyed without closing, the main window takes its windows with it.
        {
            Fixture h;
            h.find<QAction>(u"mnuDatamydata"_qs)->trigger();
            h.find<QAction>(u"shezhi"_qs)->trigger();
            QList<QPointer<QWidget>> opened;
            for (QWidget* window : h.window->openWindows())
                opened.append(window);
            QCOMPARE(opened.size(), 2);
            h.window.reset();
            QVERIFY(!opened[0] && !opened[1]);
        }
        QSettings settings(u"Quillon"_qs, u"Quillon建站1.0A版-站群"_qs);
        QCOMPARE(settings.value(u"Settings/MainWidth"_qs).toString(),
                 QString::number(f.window->frameGeometry().width() * 15));
        QVERIFY(settings.contains(u"Settings/MainLeft"_qs));

        settings.setValue(u"Settings/MainLeft"_qs, u"keep"_qs);
        settings.sync();
        Fixture g;
        g.window->showMinimized();
        QTRY_VERIFY(g.window->isMinimized());
        QVERIFY(g.window->close());
        QSettings after(u"Quillon"_qs, u"Quillon建站1.0A版-站群"_qs);
        QCOMPARE(after.value(u"Settings/MainLeft"_qs).toString(), u"keep"_qs);
    }

    void passwordWindows()
    {
        Fixture f;
        f.server.setReply("3");
        PasswordWindow first(f.service);
        PasswordWindow second(f.service);
        first.show();
        second.show();
        QCOMPARE(first.windowTitle(), u"修改密码"_qs);
        auto* ok = child<QPushButton>(&first, u"ModOK"_qs);
        QVERIFY(ok->isDefault());
        QCOMPARE(nextTabStop(ok), child<QLineEdit>(&first, u"txtPassword"_qs));
        QCOMPARE(first.focusWidget(), ok);
        ok->click();
        QCOMPARE(f.messages.texts(), QStringList{u"密码不能为空！"_qs});

        // A new password that a form decoder would change is refused before anything is sent.
        for (const QString& password : {u"a&b"_qs, u"50%"_qs, u"a+b"_qs}) {
            child<QLineEdit>(&first, u"txtPassword"_qs)->setText(password);
            ok->click();
            QCOMPARE(f.messages.texts().last(), u"新密码不能含有 &、% 或 + 字符，请换一个。"_qs);
        }
        QCOMPARE(f.server.requestCount(), 0);
        const qsizetype shownBefore = f.messages.shown.size();

        // The password fields go out as they always have.
        child<QLineEdit>(&first, u"txtPassword"_qs)->setText(u" a=b#c "_qs);
        QSignalSpy done(first.transfer(), &TransferControl::finished);
        ok->click();
        QVERIFY(done.wait(10000));
        QCOMPARE(f.lastBody(), QByteArray("action=modmima&mima=a=b#c"));
        QVERIFY(first.isVisible()); // "3" changes nothing
        QCOMPARE(f.messages.shown.size(), shownBefore);

        // Refused changes keep the window open with what was typed; Esc does not close it either.
        for (const QByteArray& reply : {QByteArray("0"), QByteArray("1")}) {
            f.server.setReply(reply);
            QSignalSpy refused(first.transfer(), &TransferControl::finished);
            ok->click();
            QVERIFY(refused.wait(10000));
            QVERIFY(first.isVisible());
            QCOMPARE(child<QLineEdit>(&first, u"txtPassword"_qs)->text(), u" a=b#c "_qs);
        }
        QCOMPARE(f.messages.texts().mid(shownBefore), (QStringList{u"请不要非法操作！"_qs, u"服务器错误,重试..."_qs}));
        QTest::keyClick(&first, Qt::Key_Escape);
        QVERIFY(first.isVisible());

        f.server.setReply("2");
        child<QLineEdit>(&second, u"txtPassword"_qs)->setText(u"  "_qs);
        QSignalSpy secondDone(second.transfer(), &TransferControl::finished);
        child<QPushButton>(&second, u"ModOK"_qs)->click();
        QVERIFY(secondDone.wait(10000));
        QCOMPARE(f.lastBody(), QByteArray("action=modmima&mima="));
        QCOMPARE(f.messages.texts().last(), u"成功保存!"_qs);
        QVERIFY(!second.isVisible());
        QVERIFY(first.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
