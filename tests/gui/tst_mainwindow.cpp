#include "StandinService.h"
#include "base/FormEncoding.h"
#include "base/TextCodec.h"
#include "gui/MainWindow.h"
#include "gui/PasswordWindow.h"
#include "gui/ProcessState.h"
#include "gui/RowPanel.h"
#include "service/ServiceProtocol.h"
#include "support/Child.h"
#include "support/ServiceFixture.h"

#include <QtWidgets>

using namespace std::chrono_literals;

namespace {

const QStringList kFilledStore = {
    u"insert into url (url) values ('a.com'), ('b.cn')"_qs,
    u"insert into biao (biaoshi, number, state) values ('北京', 3, 0), ('s h', 1, 1), ('zero', 0, 0)"_qs,
    u"insert into config (title, Address, tel, qq, about) values ('北京 公司', '路 1', NULL, '123', '简介 & 更多')"_qs,
    u"insert into config (title, Address, tel, qq, about) values ('second', 'x', 'y', 'z', 'w')"_qs,
    u"update suiji set title = 2, body = 0, hang = 3"_qs,
};

int stateOf(int id)
{
    return TestFolder::column(u"select state from biao where id = %1"_qs.arg(id)).value(0, u"-1"_qs).toInt();
}

struct Fixture : ServiceFixture
{
    std::unique_ptr<MainWindow> window;

    explicit Fixture(const QStringList& statements = kFilledStore)
    {
        folder.openStore(statements);
        ProcessState::DataChanged = 0;
        window = std::make_unique<MainWindow>(service, nullptr, 5s);
        window->show();
    }
    template <typename T> T* find(const QString& name) const { return child<T>(window, name); }
    RowPanel* rows() const { return find<RowPanel>(u"zi_Picture"_qs); }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    bool clickAndWait(const QString& name) const { return ::clickAndWait(button(name), window->workInet()); }
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void showsTheMaterial()
    {
        // The date in the status bar is the program's, Chinese, whatever the system's locale.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        auto systemAgain = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        Fixture f;
        QCOMPARE(f.find<QLabel>(u"sbStatusBar_Panel2"_qs)->text(),
                 QLocale(QLocale::Chinese, QLocale::China).toString(QDate::currentDate(), QLocale::ShortFormat));
        QCOMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 2);
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->text(), u"北京"_qs);
        QCOMPARE(f.find<QLineEdit>(u"zi_shu_1"_qs)->text(), u"1"_qs);
        QVERIFY(!f.button(u"zi_cha_0"_qs)->isEnabled());
        QVERIFY(f.button(u"zi_cha_1"_qs)->isEnabled());
        QCOMPARE(f.find<QLineEdit>(u"xg_dh"_qs)->text(), u"-"_qs);
        QCOMPARE(f.find<QPlainTextEdit>(u"xg_jj"_qs)->toPlainText(), u"简介 & 更多"_qs);
        QVERIFY(!f.find<QScrollBar>(u"VScroll1"_qs)->isVisible());

        // An empty table shows the design row, which generates nothing.
        TestFolder::exec(u"delete from biao"_qs);
        f.window->Body_url();
        QVERIFY(f.find<QLineEdit>(u"zi_biao_0"_qs)->isVisible());
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->text(), QString());
        QVERIFY(!f.find<QLineEdit>(u"zi_biao_1"_qs)->isVisible());
        f.button(u"zi_shen_0"_qs)->click();
        QCOMPARE(f.messages.texts(), QStringList{u"标识符不能为空！"_qs});
        QCOMPARE(f.server.requestCount(), 0);
    }

    void scrollBarReachesEveryRow()
    {
        QStringList rows;
        for (int i = 0; i < 5; ++i)
            rows << u"insert into biao (biaoshi, number, state) values ('r%1', 2, 0)"_qs.arg(i);
        Fixture f(rows);
        auto* bar = f.find<QScrollBar>(u"VScroll1"_qs);
        auto* picture = f.find<QWidget>(u"Picture1"_qs);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->singleStep(), 25);
        TestFolder::exec(u"delete from biao where biaoshi = 'r4'"_qs);
        f.window->Body_url();
        QVERIFY(!bar->isVisible());
        // The row of the deleted identifier is not left on screen with its old text.
        QVERIFY(!f.find<QLineEdit>(u"zi_biao_4"_qs)->isVisible());

        // Many rows: the range grows so the last row can be brought into view, and a row reached with
        // the keyboard comes into view.
        for (int i = 0; i < 200; ++i)
            TestFolder::exec(u"insert into biao (biaoshi, number, state) values ('m%1', 2, 0)"_qs.arg(i));
        f.window->Body_url();
        bar->setValue(bar->maximum());
        QLineEdit* last = f.rows()->biao(203);
        QCOMPARE(last->text(), u"m199"_qs);
        const int bottom = last->mapTo(picture, QPoint(0, last->height())).y();
        QVERIFY(bottom <= picture->height() && bottom > 0);
        bar->setValue(0);
        QLineEdit* far = f.rows()->biao(40);
        far->setFocus();
        QFocusEvent focusIn(QEvent::FocusIn);
        QApplication::sendEvent(far, &focusIn);
        const int farTop = far->mapTo(picture, QPoint(0, 0)).y();
        QVERIFY(farTop >= 0 && farTop + far->height() <= picture->height());

        // The wheel over the rows turns the bar as it would over the bar itself: once.
        auto wheelOn = [](QWidget* widget) {
            QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(widget, &wheel);
        };
        bar->setValue(0);
        wheelOn(bar);
        const int step = bar->value();
        bar->setValue(0);
        wheelOn(f.rows());
        QVERIFY(step > 0);
        QCOMPARE(bar->value(), step);

        // Scrolled down, then the list shrinks until the bar goes: the first row is on screen again.
        bar->setValue(bar->maximum());
        TestFolder::exec(u"delete from biao where biaoshi like 'm%'"_qs);
        f.window->Body_url();
        QVERIFY(!bar->isVisible());
        QCOMPARE(f.rows()->y(), 0);
    }

    void closedEditorsReloadTheView()
    {
        Fixture f;
        f.find<QAction>(u"mnuDatamydata"_qs)->trigger();
        f.find<QAction>(u"mnuDatamydata"_qs)->trigger();
        QCOMPARE(f.window->openWindows().size(), 2); // a fresh window each time
        TestFolder::exec(u"insert into url (url) values ('new.org')"_qs);
        f.window->Form_Activate(); // nothing changed by a window yet
        QCOMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 2);
        f.window->openWindows()[1]->close();
        QCOMPARE(ProcessState::DataChanged, qint16(100));
        QApplication::setActiveWindow(f.window.get());
        QTRY_COMPARE(f.find<QListWidget>(u"Url_List"_qs)->count(), 3);
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
        QVERIFY(f.clickAndWait(u"baocun"_qs));
        QCOMPARE(f.lastBody(),
                 QByteArray("action=UWork&Contact=%B1%B1%BE%A9%20%B9%AB%CB%BE|*|%C2%B7%201|*|-|*|123|*|"
                            "%BC%F2%BD%E9%20%26%20%B8%FC%B6%E0|*|&url=a.com|*|b.cn|*|&biaoshi=\xB1\xB1\xBE\xA9|*|s h|*|"
                            "zero|*|&Word=\xB9\xD8\xBC\xFC|*|a, b|*|c|*|d|*|"));
        QCOMPARE(f.messages.texts(), QStringList{u"成功保存!"_qs});
        QCOMPARE(f.window->statusText(), u"成功保存!"_qs);

        // Without a keyword file or material.
        Fixture g(QStringList{u"delete from suiji"_qs});
        g.server.setReply("1");
        QVERIFY(g.clickAndWait(u"baocun"_qs));
        QCOMPARE(g.lastBody(), QByteArray("action=UWork&Contact=|*||*||*||*||*|&url=&biaoshi=&Word="));
        QCOMPARE(g.messages.texts(), (QStringList{u"不存在"_qs, u"服务器错误,重试..."_qs}));
        QCOMPARE(g.window->statusText(), u"向主机发送数据完毕"_qs);

        // A line the service would split into other words is named, and nothing goes out.
        g.folder.write(u"word.txt"_qs, "ok\r\n\"a|*\"\r\n");
        g.messages.clear();
        g.button(u"baocun"_qs)->click();
        QTRY_COMPARE(g.messages.texts().size(), 1);
        QVERIFY2(g.messages.texts().first().contains(u"第2行“a|*”"_qs), qPrintable(g.messages.texts().first()));
        QCOMPARE(g.server.requestCount(), 1);
    }

    // The demo service takes a real upload: a mined list of thousands of lines is tens of kilobytes.
    void theStandinTakesARealUpload()
    {
        Fixture f;
        StandinService standin("secret");
        f.service.setServerAddr(u"http://127.0.0.1:"_qs + QString::number(standin.start()));
        TransferControl login(f.service, 10s);
        QSignalSpy loggedIn(&login, &TransferControl::finished);
        QVERIFY(login.execute(ServiceProtocol::requestAddress(f.service.ServerAddr()), u"POST"_qs,
                              "action=Ulogin&Pass=secret", ServiceProtocol::contentTypeHeader()));
        QVERIFY(loggedIn.wait(10000));
        QByteArray list;
        for (int i = 0; i < 4000; ++i)
            list += TextCodec::toAnsi(QString(u"鲜花快递长尾词"_qs + QString::number(i) + u"\r\n"_qs));
        f.folder.write(u"word.txt"_qs, list);
        QVERIFY(f.clickAndWait(u"baocun"_qs));
        QCOMPARE(f.messages.texts(), QStringList{u"成功保存!"_qs});
        QVERIFY(QByteArray::fromStdString(standin.lastUpload()).endsWith(TextCodec::toAnsi(u"长尾词3999|*|"_qs)));
    }

    // A row's count is checked before anything is sent; whatever the reply, the row is marked as asked.
    void generation_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QByteArray>("reply"); // "closed": nothing listens
        QTest::addColumn<QStringList>("messages");
        const QStringList refused{u"数量必须大于1"_qs};
        QTest::newRow("2") << u"3"_qs << QByteArray("2") << QStringList{u"成功保存!"_qs};
        QTest::newRow("0") << u"3"_qs << QByteArray("0") << QStringList{u"请不要非法操作！"_qs};
        QTest::newRow("long") << u"3"_qs << QByteArray("<html>") << QStringList{u"网络中断或服务器超时！！"_qs};
        QTest::newRow("no reply") << u"3"_qs << QByteArray("closed") << QStringList{};
        QTest::newRow("count 1") << u"1"_qs << QByteArray("2") << QStringList{u"成功保存!"_qs};
        for (const char* count : {"0", "0.99", "nan", "inf", "-inf", "1e999", "many"})
            QTest::addRow("count %s", count) << QString::fromLatin1(count) << QByteArray() << refused;
    }
    void generation()
    {
        QFETCH(QString, count);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, messages);
        Fixture f;
        f.server.setReply(reply);
        if (reply == "closed")
            f.service.setServerAddr(TestHttpServer::closedUrl());
        f.rows()->shu(0)->setText(count);
        if (reply.isEmpty()) {
            f.button(u"zi_shen_0"_qs)->click();
            QVERIFY(!f.window->workInet()->stillExecuting()); // refused before anything was sent
        } else
            QVERIFY(f.clickAndWait(u"zi_shen_0"_qs));
        QCOMPARE(f.messages.texts(), messages);
        QCOMPARE(f.server.requestCount(), reply.isEmpty() || reply == "closed" ? 0 : 1);
        if (f.server.requestCount() > 0)
            QCOMPARE(f.lastBody(), "action=madeweb&Biaoshi=\xB1\xB1\xBE\xA9&shuliang=" + count.toLatin1() +
                                       "&Ltitle=2&Lbody=0&Lhang=3&Ljj=\xBC\xF2\xBD\xE9 %26 \xB8\xFC\xB6\xE0");
        QCOMPARE(stateOf(1), reply.isEmpty() ? 0 : 1);
        f.window->Body_url();
        QCOMPARE(f.button(u"zi_cha_0"_qs)->isEnabled(), !reply.isEmpty());
    }

    void theIntroductionIsSentAsStored()
    {
        Fixture f({u"insert into biao (biaoshi, number) values ('a', 1)"_qs,
                   u"insert into config (about) values ('一行\r\n二\u00a0行\n三 ')"_qs});
        f.server.setReply("2");
        QVERIFY(f.clickAndWait(u"zi_shen_0"_qs));
        const QString stored = u"一行\r\n二\u00a0行\n三"_qs;
        QCOMPARE(f.lastBody().mid(f.lastBody().indexOf("&Ljj=") + 5), TextCodec::toAnsi(stored));
        QVERIFY(f.clickAndWait(u"baocun"_qs));
        QVERIFY(f.lastBody().contains(QByteArray(EncodeFormValue(stored).toLatin1() + "|*|&url=")));
        // Text put into the box goes out with CR LF line breaks, as the box makes them.
        f.find<QPlainTextEdit>(u"xg_jj"_qs)->setPlainText(u"x\ny"_qs);
        QVERIFY(f.clickAndWait(u"zi_shen_0"_qs));
        QVERIFY(f.lastBody().endsWith("&Ljj=x\r\ny"));
    }

    void theReplyMarksTheRowThatShowsTheIdentifier()
    {
        Fixture f({u"insert into biao (biaoshi, number, state) values ('A', 2, 1), ('B', 2, 0), ('C', 2, 0)"_qs});
        f.server.setReply("2");
        f.server.hold();
        QSignalSpy finished(f.window->workInet(), &TransferControl::finished);
        f.button(u"zi_shen_1"_qs)->click(); // B
        QTRY_COMPARE(f.server.requestCount(), 1);
        // While the request waits, A goes and the view reloads: B is now the first row.
        TestFolder::exec(u"delete from biao where biaoshi = 'A'"_qs);
        ProcessState::DataChanged = 100;
        f.window->Form_Activate();
        QCOMPARE(f.find<QLineEdit>(u"zi_biao_0"_qs)->text(), u"B"_qs);
        f.server.release();
        QVERIFY(finished.wait(10000));
        QVERIFY(f.button(u"zi_cha_0"_qs)->isEnabled());
        QVERIFY(!f.button(u"zi_cha_1"_qs)->isEnabled());
        QCOMPARE(stateOf(2), 1);
        QCOMPARE(stateOf(3), 0);

        // A store made by another tool, whose ids are text: an id that is no whole number marks nothing.
        Fixture g({u"drop table biao"_qs,
                   u"create table biao (id TEXT, biaoshi TEXT, number INTEGER, state INTEGER)"_qs,
                   u"insert into biao values ('1e300', 'x', 2, 0)"_qs});
        g.server.setReply("2");
        QVERIFY(g.clickAndWait(u"zi_shen_0"_qs));
        QVERIFY(!g.button(u"zi_cha_0"_qs)->isEnabled());
    }

    void aRequestWhileOneRunsIsRefused()
    {
        Fixture f;
        f.server.setReply("2");
        f.folder.write(u"word.txt"_qs, "k\r\n");
        QSignalSpy finished(f.window->workInet(), &TransferControl::finished);
        // A request on its way, or the keyword file still being read for one, refuses the next.
        f.button(u"zi_shen_0"_qs)->click();
        f.button(u"baocun"_qs)->click();
        QVERIFY(finished.wait(10000));
        f.button(u"baocun"_qs)->click();
        f.button(u"zi_shen_1"_qs)->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(f.server.requestCount(), 2);
        QVERIFY(f.server.requests().value(1).body.startsWith("action=UWork"));
        QCOMPARE(stateOf(1), 1);
        QCOMPARE(f.messages.texts().count(u"上一个请求还在进行中，请等它完成后再试。"_qs), 2);

        // Closed while a request waits: the window is gone, and with it whatever would have marked the row.
        f.server.setSilent();
        f.rows()->shu(2)->setText(u"2"_qs);
        f.button(u"zi_shen_2"_qs)->click();
        QTRY_COMPARE(f.server.requestCount(), 3);
        QVERIFY(f.window->close());
        f.window.reset();
        QCOMPARE(stateOf(3), 0);
    }

    void closingClosesEveryWindowAndStoresThePosition()
    {
        auto settings = [] { return std::make_unique<QSettings>(u"Quillon"_qs, u"Quillon建站1.0A版-站群"_qs); };
        settings()->clear();
        Fixture f;
        QList<QPointer<QWidget>> windows;
        for (int i = 0; i < 3; ++i)
            f.find<QAction>(u"modmima"_qs)->trigger();
        for (QWidget* window : f.window->openWindows())
            windows.append(window);
        QCOMPARE(windows.size(), 3);
        QVERIFY(f.window->close());
        QTRY_VERIFY(!windows[0] && !windows[1] && !windows[2]);
        QCOMPARE(settings()->value(u"Settings/MainWidth"_qs).toString(),
                 QString::number(f.window->frameGeometry().width() * 15));

        // Destroyed without closing, the main window takes its windows with it; minimized, it keeps
        // the position it had.
        settings()->setValue(u"Settings/MainLeft"_qs, u"keep"_qs);
        Fixture g;
        g.find<QAction>(u"shezhi"_qs)->trigger();
        const QPointer<QWidget> opened = g.window->openWindows().value(0);
        QVERIFY(opened);
        g.window->showMinimized();
        QTRY_VERIFY(g.window->isMinimized());
        g.window.reset();
        QVERIFY(!opened);
        QCOMPARE(settings()->value(u"Settings/MainLeft"_qs).toString(), u"keep"_qs);
    }

    void passwordWindows()
    {
        ServiceFixture f;
        f.server.setReply("3");
        PasswordWindow first(f.service);
        PasswordWindow second(f.service);
        first.show();
        second.show();
        auto* ok = child<QPushButton>(&first, u"ModOK"_qs);
        auto* password = child<QLineEdit>(&first, u"txtPassword"_qs);
        ok->click();
        QCOMPARE(f.messages.texts(), QStringList{u"密码不能为空！"_qs});
        // A new password that a form decoder would change is refused before anything is sent.
        for (const QString& refused : {u"a&b"_qs, u"50%"_qs, u"a+b"_qs}) {
            password->setText(refused);
            ok->click();
            QCOMPARE(f.messages.texts().last(), u"新密码不能含有 &、% 或 + 字符，请换一个。"_qs);
        }
        QCOMPARE(f.server.requestCount(), 0);
        f.messages.clear();

        // The password goes out as it always has; "3" changes nothing, refusals keep what was typed and
        // the window open, and Esc does not close it either.
        password->setText(u" a=b#c "_qs);
        for (const QByteArray& reply : {QByteArray("3"), QByteArray("0"), QByteArray("1")}) {
            f.server.setReply(reply);
            QVERIFY(clickAndWait(ok, first.transfer()));
            QVERIFY(first.isVisible());
            QCOMPARE(password->text(), u" a=b#c "_qs);
        }
        QCOMPARE(f.lastBody(), QByteArray("action=modmima&mima=a=b#c"));
        QCOMPARE(f.messages.texts(), (QStringList{u"请不要非法操作！"_qs, u"服务器错误,重试..."_qs}));
        QTest::keyClick(&first, Qt::Key_Escape);
        QVERIFY(first.isVisible());

        f.server.setReply("2");
        child<QLineEdit>(&second, u"txtPassword"_qs)->setText(u"  "_qs);
        QVERIFY(clickAndWait(child<QPushButton>(&second, u"ModOK"_qs), second.transfer()));
        QCOMPARE(f.lastBody(), QByteArray("action=modmima&mima="));
        QCOMPARE(f.messages.texts().last(), u"成功保存!"_qs);
        QVERIFY(!second.isVisible());
        QVERIFY(first.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
