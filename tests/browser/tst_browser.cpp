#include "browser/BrowserWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProcessState.h"
#include "gui/RowPanel.h"
#include "service/ServiceConnection.h"
#include "support/Child.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"

#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>
#include <QtWidgets>

namespace {

QString innerHtml(BrowserWindow* browser, const QString& script)
{
    auto* view = qobject_cast<QWebEngineView*>(browser->view());
    QString result = u"(none)"_qs;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value.toString();
        done = true;
    });
    QTest::qWaitFor([&done] { return done; }, 10000);
    return result;
}

} // namespace

class BrowserTest : public QObject
{
    Q_OBJECT

private slots:
    void emptyAddressNeverRunsTheTimer()
    {
        QString error;
        std::unique_ptr<BrowserWindow> browser(BrowserWindow::create(&error));
        QVERIFY2(browser, qPrintable(error));
        browser->Form_Load();
        QVERIFY(browser->isVisible());
        QVERIFY(!child<QTimer>(browser.get(), u"timTimer"_qs)->isActive());
        QCOMPARE(browser->windowTitle(), QString());
        // The page's own menu reads Chinese.
        QCOMPARE(qobject_cast<QWebEngineView*>(browser->view())->pageAction(QWebEnginePage::Back)->text(), u"后退"_qs);
    }

    void captionsFollowTheLoad()
    {
        TestFolder folder;
        folder.write(u"Manual.txt"_qs, "\xEF\xBB\xBF使用说明");
        QString error;
        std::unique_ptr<BrowserWindow> browser(BrowserWindow::create(&error));
        QVERIFY2(browser, qPrintable(error));
        QStringList captions;
        connect(browser.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
            if (captions.isEmpty() || captions.last() != title)
                captions.append(title);
        });
        browser->StartingAddress = folder.filePath(u"Manual.txt"_qs);
        browser->Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), u"Vantrel-站群"_qs, 20000);
        QCOMPARE(captions.first(), u"Working..."_qs);
        QVERIFY(captions.contains(u"加载2..."_qs));
        QVERIFY(captions.contains(u"Vantrel"_qs));
        QCOMPARE(innerHtml(browser.get(), u"document.body.innerText"_qs), u"使用说明"_qs);
    }

    void helpMenuOpensNewBrowsers()
    {
        TestFolder folder;
        MessageRecorder messages;
        folder.openStore();
        ServiceConnection service;
        MainWindow window(service);
        window.show();
        // Without a manual of its own the program shows the one it was built with; a user's copy wins.
        child<QAction>(&window, u"mnuHelpSearchForHelpOn"_qs)->trigger();
        folder.write(u"Manual.txt"_qs, "own");
        child<QAction>(&window, u"mnuHelpSearchForHelpOn"_qs)->trigger();
        child<QAction>(&window, u"mnuViewWebBrowser"_qs)->trigger();
        QList<BrowserWindow*> browsers;
        for (QWidget* opened : window.openWindows())
            browsers.append(qobject_cast<BrowserWindow*>(opened));
        QCOMPARE(browsers.size(), 3);
        QVERIFY(browsers[0] && browsers[1] && browsers[0] != browsers[1]);
        QCOMPARE(browsers[0]->StartingAddress, u":/quillon/Manual.txt"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(innerHtml(browsers[0], u"document.body.innerText"_qs).contains(u"使用说明"_qs), 20000);
        QCOMPARE(browsers[1]->StartingAddress, folder.filePath(u"Manual.txt"_qs));
        QVERIFY(browsers[2]->StartingAddress.startsWith(u"http"_qs));
        QVERIFY(!window.sharedBrowser());
        QVERIFY(window.close());
        QVERIFY(messages.shown.isEmpty());
    }

    // Local pages read no other local file, and an address of an unknown scheme goes nowhere.
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
        auto* view = qobject_cast<QWebEngineView*>(browser->view());
        QCOMPARE(view->settings()->unknownUrlSchemePolicy(), QWebEngineSettings::DisallowUnknownUrlSchemes);
        QVERIFY(!view->settings()->testAttribute(QWebEngineSettings::NavigateOnDropEnabled));
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
        window.rowPanel()->cha(0)->click();
        BrowserWindow* browser = window.sharedBrowser();
        QVERIFY2(browser, qPrintable(messages.texts().join(u'|')));
        QCOMPARE(window.ListHtml(), u"http://x.a.com</br>http://x1.a.com</br>http://x.b.cn</br>http://x1.b.cn</br>"_qs);
        const QString lie = u"document.getElementById('lie').innerHTML"_qs;
        QTRY_COMPARE_WITH_TIMEOUT(innerHtml(browser, lie),
                                  u"http://x.a.com<br>http://x1.a.com<br>http://x.b.cn<br>http://x1.b.cn<br>"_qs,
                                  20000);

        // The second row's list replaces the first in the same window.
        window.rowPanel()->cha(1)->click();
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
        window.rowPanel()->cha(0)->click();
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
