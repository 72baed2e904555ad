#include "browser/BrowserWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProcessState.h"
#include "service/ServiceConnection.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"

#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <QtWidgets>

namespace {

QWebEngineView* viewOf(BrowserWindow* browser)
{
    auto* view = qobject_cast<QWebEngineView*>(browser->view());
    if (!view)
        QTest::qFail("the browser shows no web view", __FILE__, __LINE__);
    return view;
}

QString innerHtml(BrowserWindow* browser, const QString& script)
{
    QWebEngineView* view = viewOf(browser);
    QString result = u"(none)"_qs;
    if (!view)
        return result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value.toString();
        done = true;
    });
    (void)QTest::qWaitFor([&done] { return done; }, 10000);
    return result;
}

} // namespace

class BrowserTest : public QObject
{
    Q_OBJECT

private slots:
    void captionsFollowTheLoad()
    {
        TestFolder folder;
        folder.write(u"Manual.txt"_qs, "\xEF\xBB\xBF使用说明");
        QString error;
        std::unique_ptr<BrowserWindow> browser(BrowserWindow::create(&error));
        QVERIFY2(browser, qPrintable(error));
        // What the caption says as each stage of the load is reported, and once the load is over.
        QStringList captions;
        for (auto stage : {&BrowserWindow::NavigateComplete2, &BrowserWindow::DownloadComplete})
            connect(browser.get(), stage, [&] { captions.append(browser->windowTitle()); });
        browser->StartingAddress = folder.filePath(u"Manual.txt"_qs);
        browser->Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(captions.size(), 2, 20000);
        QCOMPARE(captions, (QStringList{u"加载2..."_qs, u"Vantrel"_qs}));
        QTRY_COMPARE(browser->windowTitle(), u"Vantrel-站群"_qs);
        QCOMPARE(innerHtml(browser.get(), u"document.body.innerText"_qs), u"使用说明"_qs);
        // The page's own menu reads Chinese.
        QCOMPARE(viewOf(browser.get())->pageAction(QWebEnginePage::Back)->text(), u"后退"_qs);
    }

    // Local pages read no other local file.
    void pagesStayInTheirPlace()
    {
        TestFolder folder;
        folder.write(u"secret.txt"_qs, "secret");
        folder.write(u"page.html"_qs,
                     "<html><body><script>var x = new XMLHttpRequest();"
                     "try { x.open('GET', 'secret.txt', false); x.send(); document.title = 'read:' + x.responseText; }"
                     "catch (e) { document.title = 'blocked'; }</script></body></html>");
        QString error;
        std::unique_ptr<BrowserWindow> browser(BrowserWindow::create(&error));
        QVERIFY2(browser, qPrintable(error));
        browser->StartingAddress = folder.filePath(u"page.html"_qs);
        QSignalSpy loaded(browser.get(), &BrowserWindow::DownloadComplete);
        browser->Form_Load();
        QVERIFY(loaded.wait(20000));
        QCOMPARE(innerHtml(browser.get(), u"document.title"_qs), u"blocked"_qs);
    }

    void viewButtonFillsTheListPage()
    {
        TestFolder folder;
        MessageRecorder messages;
        QFile::copy(QCoreApplication::applicationDirPath() + u"/liebiao.html"_qs, folder.filePath(u"liebiao.html"_qs));
        folder.openStore({u"insert into url (url) values ('a.com'), ('b.cn')"_qs,
                          u"insert into biao (biaoshi, number, state) values ('x', 2, 1), ('y', 1, 1)"_qs});
        ServiceConnection service;
        MainWindow window(service);
        window.show();
        child<QPushButton>(&window, u"zi_cha_0"_qs)->click();
        BrowserWindow* browser = window.sharedBrowser();
        QVERIFY2(browser, qPrintable(messages.texts().join(u'|')));
        QCOMPARE(window.ListHtml(), u"http://x.a.com</br>http://x1.a.com</br>http://x.b.cn</br>http://x1.b.cn</br>"_qs);
        const QString lie = u"document.getElementById('lie').innerHTML"_qs;
        QTRY_COMPARE_WITH_TIMEOUT(innerHtml(browser, lie),
                                  u"http://x.a.com<br>http://x1.a.com<br>http://x.b.cn<br>http://x1.b.cn<br>"_qs,
                                  20000);

        // The second row's list replaces the first in the same window.
        child<QPushButton>(&window, u"zi_cha_1"_qs)->click();
        QCOMPARE(window.sharedBrowser(), browser);
        QTRY_COMPARE_WITH_TIMEOUT(innerHtml(browser, lie), u"http://y.a.com<br>http://y.b.cn<br>"_qs, 20000);

        // A page the user goes on to from the list page never gets the list, even with an element "lie".
        folder.write(u"other.html"_qs, "<html><body><div id=\"lie\">mine</div></body></html>");
        QSignalSpy otherLoaded(browser, &BrowserWindow::DownloadComplete);
        browser->Navigate(folder.filePath(u"other.html"_qs));
        QVERIFY(otherLoaded.wait(20000));
        QCOMPARE(innerHtml(browser, lie), u"mine"_qs);

        // A page without the element: nothing happens, nothing is reported.
        folder.write(u"liebiao.html"_qs, "<html><body>no list here</body></html>");
        QSignalSpy loaded(browser, &BrowserWindow::DownloadComplete);
        child<QPushButton>(&window, u"zi_cha_0"_qs)->click();
        QVERIFY(loaded.wait(20000));
        // Scripts run in turn: this one runs after any that would have filled the page.
        QCOMPARE(innerHtml(browser, u"document.body.innerText"_qs), u"no list here"_qs);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(window.close());
        QTRY_VERIFY(!window.sharedBrowser());
    }
};

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
