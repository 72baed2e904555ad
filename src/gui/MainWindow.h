#pragma once

#include "keywords/KeywordFileLoader.h"

#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <vector>

class BrowserWindow;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class RowPanel;
class ServiceConnection;
class TransferControl;

// frmMain: the window the user works in after logging in. It shows the site material, uploads it,
// asks the service to generate the sites of one identifier and opens every other window.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(ServiceConnection& service, QWidget* parent = nullptr,
                        std::chrono::milliseconds timeout = std::chrono::seconds(30));
    ~MainWindow() override;

    void Body_url();
    void Form_Activate();

    const QString& UrlJoined() const { return m_urlJoined; }
    const QString& BiaoshiJoined() const { return m_biaoshiJoined; }
    QString statusText() const;
    RowPanel* rowPanel() const { return m_rows; }
    TransferControl* workInet() const { return m_workInet; }
    // Windows opened from the menus that are still open, oldest first.
    QList<QWidget*> openWindows() const;
    const QString& ListHtml() const { return m_listHtml; }
    BrowserWindow* sharedBrowser() const;

    // Shows a window opened from a menu: modeless, on its own, closed with the main window.
    void showModeless(QWidget* window);

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildStatusBar();
    void updateClock();
    void placeScrollBar();

    void mnuViewStatusBar_Click();
    void mnuHelpAbout_Click();
    void VScroll1_Change(int value);
    void scrollToRow(int index);
    void baocun_Click();
    void sendUpload(const KeywordFileLoader::UploadList& keywords);
    void zi_cha_Click(int index);
    void doc_DownloadComplete();
    BrowserWindow* newBrowser();
    void openBrowser(const QString& address);
    void track(QWidget* window);
    void zi_shen_Click(int index);
    void WorkInet_StateChanged(int state);
    void WorkInet_Finished();
    bool sendRequest(const QString& body, std::function<void()> afterWait);
    bool Form_Unload();
    void savePosition();
    void markGenerated(const QString& idText);
    // The introduction exactly as stored, or as edited in the box with CR LF line breaks.
    QString introductionText() const;

    QListWidget* m_urlList = nullptr;
    QWidget* m_picture1 = nullptr;
    RowPanel* m_rows = nullptr;
    QScrollBar* m_vscroll = nullptr;
    QLineEdit* m_contact[4] = {};
    QPlainTextEdit* m_introduction = nullptr;
    QString m_introductionText;
    bool m_introductionEdited = false;
    bool m_fillingIntroduction = false;
    QLineEdit* m_suiji[3] = {};
    QPushButton* m_baocun = nullptr;
    QAction* m_statusBarAction = nullptr;
    QLabel* m_panels[3] = {};
    ServiceConnection& m_service;
    TransferControl* m_workInet = nullptr;
    std::function<void()> m_afterWait;
    bool m_readingKeywords = false;
    bool m_showingReply = false;
    bool m_finishAfterReply = false;

    QString m_urlJoined;
    QString m_biaoshiJoined;
    QString m_listHtml;
    std::vector<QPointer<QWidget>> m_openWindows;
    QPointer<BrowserWindow> m_doc; // the shared browser of the generated-site list
    QUrl m_listPage;               // where the shared browser shows the list
    QPointer<QWidget> m_keywords;  // the one keyword window: two would compete for word.txt
};
