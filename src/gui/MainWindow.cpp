#include "gui/MainWindow.h"

#include "base/AppInfo.h"
#include "base/AppPaths.h"
#include "base/GeneratedSiteList.h"
#include "browser/BrowserWindow.h"
#include "gui/KeywordWindow.h"
#include "gui/PasswordWindow.h"
#include "gui/ProcessState.h"
#include "gui/RelatedInfoWindow.h"
#include "gui/RowPanel.h"
#include "gui/SettingsWindow.h"
#include "gui/TableEditorWindow.h"
#include "keywords/KeywordFileLoader.h"
#include "service/ServiceProtocol.h"
#include "service/ServiceRequest.h"
#include "service/TransferControl.h"
#include "store/LocalStore.h"
#include "store/MaterialSnapshot.h"
#include "store/StoreQueries.h"
#include "ui/Fonts.h"
#include "ui/Messages.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFrame>
#include <QFutureWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

namespace {

constexpr int kScrollStep = 25;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    return label;
}

QFrame* makeLine(QWidget* parent, const QString& name, QFrame::Shape shape, const QRect& rect)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(rect);
    return line;
}

QString busyMessage()
{
    return QStringLiteral("上一个请求还在进行中，请等它完成后再试。");
}

} // namespace

MainWindow::MainWindow(ServiceConnection& service, QWidget* parent, std::chrono::milliseconds timeout)
    : QMainWindow(parent), m_service(service)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillon建站－站群"));

    m_workInet = new TransferControl(service, timeout, this);
    m_workInet->setObjectName(QStringLiteral("WorkInet"));
    connect(m_workInet, &TransferControl::stateChanged, this, &MainWindow::WorkInet_StateChanged);
    connect(m_workInet, &TransferControl::finished, this, &MainWindow::WorkInet_Finished);

    buildControls();
    buildMenus();
    buildStatusBar();

    // Form_Load: fixed outer size, centred, then the first fill.
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Body_url();
}

MainWindow::~MainWindow()
{
    // A window opened from the menus never outlives the main window.
    for (const QPointer<QWidget>& window : m_openWindows)
        delete window.data();
}

void MainWindow::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips::px(10755), Twips::px(8865));
    setCentralWidget(client);

    makeLabel(client, QStringLiteral("Label1"), QStringLiteral("主 域 名"), Twips::rect(900, 225, 1125, 420))
        ->setFont(Fonts::yahei(15.75));
    makeLabel(client, QStringLiteral("Label2"), QStringLiteral("子 域 名"), Twips::rect(4320, 225, 1125, 420))
        ->setFont(Fonts::yahei(15.75));
    makeLabel(client, QStringLiteral("Label6"), QStringLiteral("相关信息"), Twips::rect(8250, 225, 1200, 405))
        ->setFont(Fonts::yahei(15));
    makeLine(client, QStringLiteral("Line1"), QFrame::HLine, Twips::rect(0, 780, 11700, 30));
    makeLine(client, QStringLiteral("Line2"), QFrame::VLine, Twips::rect(2640, 0, 30, 9000));
    makeLine(client, QStringLiteral("Line3"), QFrame::VLine, Twips::rect(7050, 0, 30, 9000));
    auto* band = makeLine(client, QStringLiteral("Shape1"), QFrame::Box, Twips::rect(2655, 780, 4395, 480));
    band->setFrameShadow(QFrame::Plain);
    makeLabel(client, QStringLiteral("Label3"), QStringLiteral("标 识"), Twips::rect(3150, 975, 450, 180))
        ->adjustSize();
    makeLabel(client, QStringLiteral("Label4"), QStringLiteral("数 量"), Twips::rect(4500, 975, 450, 180))
        ->adjustSize();
    makeLabel(client, QStringLiteral("Label5"), QStringLiteral("建 站"), Twips::rect(6000, 975, 450, 180))
        ->adjustSize();

    m_urlList = new QListWidget(client);
    m_urlList->setObjectName(QStringLiteral("Url_List"));
    m_urlList->setGeometry(Twips::rect(120, 960, 2370, 7800));
    m_urlList->setAccessibleName(QStringLiteral("主域名"));

    m_picture1 = new QFrame(client);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setGeometry(Twips::rect(2670, 1290, 4335, 7455));
    m_rows = new RowPanel(m_picture1);
    m_vscroll = new QScrollBar(Qt::Vertical, m_picture1);
    m_vscroll->setObjectName(QStringLiteral("VScroll1"));
    m_vscroll->setGeometry(Twips::rect(2565, 0, 200, 7425));
    m_vscroll->setTracking(false); // the rows move when the thumb is released
    m_vscroll->hide();
    m_vscroll->raise();
    connect(m_vscroll, &QScrollBar::valueChanged, this, &MainWindow::VScroll1_Change);
    m_rows->setViewport(0, m_picture1->height());
    connect(m_rows, &RowPanel::generateClicked, this, &MainWindow::zi_shen_Click);
    connect(m_rows, &RowPanel::viewClicked, this, &MainWindow::zi_cha_Click);
    connect(m_rows, &RowPanel::rowFocused, this, &MainWindow::scrollToRow);
    m_picture1->installEventFilter(this);
    m_rows->installEventFilter(this);

    struct ContactBox
    {
        const char16_t* label;
        const char16_t* labelText;
        int labelTop;
        int labelWidth;
        const char16_t* box;
        int boxTop;
    };
    static const ContactBox kBoxes[] = {
        {u"Label7", u"单位：", 1125, 540, u"xg_dw", 1080},
        {u"Label8", u"地址：", 1725, 540, u"xg_dz", 1680},
        {u"Label9", u"电话：", 2325, 540, u"xg_dh", 2280},
        {u"Label10", u"Q Q：", 2865, 450, u"xg_qq", 2820},
    };
    for (int i = 0; i < 4; ++i) {
        const ContactBox& spec = kBoxes[i];
        QLabel* label = makeLabel(client, QString::fromUtf16(spec.label), QString::fromUtf16(spec.labelText),
                                  Twips::rect(7440, spec.labelTop, spec.labelWidth, 180));
        label->adjustSize();
        m_contact[i] = new QLineEdit(client);
        m_contact[i]->setObjectName(QString::fromUtf16(spec.box));
        m_contact[i]->setReadOnly(true);
        m_contact[i]->setGeometry(Twips::rect(8175, spec.boxTop, 2250, 300));
        label->setBuddy(m_contact[i]);
    }
    QLabel* introLabel = makeLabel(client, QStringLiteral("Label11"), QStringLiteral("简介：（限250字以内）"),
                                   Twips::rect(7440, 3360, 1890, 180));
    introLabel->adjustSize();
    m_introduction = new QPlainTextEdit(client);
    m_introduction->setObjectName(QStringLiteral("xg_jj"));
    m_introduction->setReadOnly(true);
    m_introduction->setGeometry(Twips::rect(7440, 3600, 3015, 3495));
    introLabel->setBuddy(m_introduction);
    connect(m_introduction->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_fillingIntroduction)
            m_introductionEdited = true;
    });

    makeLine(client, QStringLiteral("Line4"), QFrame::HLine, Twips::rect(7050, 7200, 3750, 30));
    m_baocun = new QPushButton(QStringLiteral("传送信息"), client);
    m_baocun->setObjectName(QStringLiteral("baocun"));
    m_baocun->setFont(Fonts::yahei(12));
    m_baocun->setGeometry(Twips::rect(7440, 7800, 2580, 450));
    connect(m_baocun, &QPushButton::clicked, this, &MainWindow::baocun_Click);

    const int suijiLefts[3] = {7320, 7920, 8520};
    for (int i = 0; i < 3; ++i) {
        m_suiji[i] = new QLineEdit(client);
        m_suiji[i]->setObjectName(u"suiji_" + QString::number(i));
        m_suiji[i]->setGeometry(Twips::rect(suijiLefts[i], 7320, 375, 270));
        m_suiji[i]->hide();
    }
}

void MainWindow::buildMenus()
{
    auto addItem = [this](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(addItem(file, QStringLiteral("modmima"), QStringLiteral("修改密码")), &QAction::triggered, this,
            [this] { showModeless(new PasswordWindow(m_service)); });
    file->addSeparator();
    m_statusBarAction = addItem(file, QStringLiteral("mnuViewStatusBar"), QStringLiteral("状态栏(&B)"));
    m_statusBarAction->setCheckable(true);
    m_statusBarAction->setChecked(true);
    connect(m_statusBarAction, &QAction::triggered, this, &MainWindow::mnuViewStatusBar_Click);
    connect(addItem(file, QStringLiteral("mnuFileExit"), QStringLiteral("退出(&X)")), &QAction::triggered, this,
            &QWidget::close);

    QMenu* data = menuBar()->addMenu(QStringLiteral("基本信息(&Y)"));
    data->setObjectName(QStringLiteral("mnuData"));
    connect(addItem(data, QStringLiteral("mnuDatamydata"), QStringLiteral("主域名")), &QAction::triggered, this,
            [this] { showModeless(new TableEditorWindow(TableEditorWindow::Kind::Domains)); });
    data->addSeparator();
    connect(addItem(data, QStringLiteral("mnuDatamydata_zi"), QStringLiteral("子域名")), &QAction::triggered, this,
            [this] { showModeless(new TableEditorWindow(TableEditorWindow::Kind::Identifiers)); });
    data->addSeparator();
    connect(addItem(data, QStringLiteral("mnuDatamydata_xianguan"), QStringLiteral("相关信息")), &QAction::triggered,
            this, [this] { showModeless(new RelatedInfoWindow); });

    QAction* keywords = menuBar()->addAction(QStringLiteral("关键词(&K)"));
    keywords->setObjectName(QStringLiteral("Wordkey"));
    connect(keywords, &QAction::triggered, this, [this] {
        if (m_keywords && m_keywords->isVisible()) {
            m_keywords->showNormal();
            m_keywords->raise();
            m_keywords->activateWindow();
            return;
        }
        QString error;
        if (!KeywordWindow::canOpen(&error)) {
            Messages::showLater(this, u"长尾词列表组件（quillon_keywordlist）无法载入，关键词窗口打不开：" + error);
            return;
        }
        m_keywords = new KeywordWindow;
        showModeless(m_keywords);
    });
    QAction* settings = menuBar()->addAction(QStringLiteral("网站设置(&S)"));
    settings->setObjectName(QStringLiteral("shezhi"));
    connect(settings, &QAction::triggered, this, [this] { showModeless(new SettingsWindow); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(addItem(help, QStringLiteral("mnuHelpSearchForHelpOn"), QStringLiteral("使用说明(&S)...")),
            &QAction::triggered, this, [this] { openBrowser(AppPaths::shippedFile(QStringLiteral("Manual.txt"))); });
    help->addSeparator();
    connect(addItem(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("软件介绍(&A) ")), &QAction::triggered, this,
            &MainWindow::mnuHelpAbout_Click);
    connect(addItem(help, QStringLiteral("mnuViewWebBrowser"), QStringLiteral("官方网站(&W)")), &QAction::triggered,
            this, [this] { openBrowser(AppInfo::homePage()); });
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("sbStatusBar_Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(m_panels[i], i == 0 ? 1 : 0);
    }
    updateClock();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &MainWindow::updateClock);
    clock->start(1000);
}

void MainWindow::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_panels[1]->setText(AppInfo::locale().toString(now.date(), QLocale::ShortFormat));
    m_panels[2]->setText(AppInfo::locale().toString(now.time(), QLocale::ShortFormat));
}

QString MainWindow::statusText() const
{
    return m_panels[0]->text();
}

void MainWindow::Body_url()
{
    const MaterialSnapshot material = MaterialSnapshot::read(LocalStore::connection());

    m_urlList->clear();
    m_urlList->addItems(material.domains);
    m_urlJoined = material.urlJoined;

    m_biaoshiJoined = material.biaoshiJoined;
    m_rows->setRows(material.rows);
    placeScrollBar();

    if (material.contact) {
        for (int i = 0; i < 4; ++i) {
            m_contact[i]->setText((*material.contact)[i]);
            m_contact[i]->setCursorPosition(0);
        }
        // The box shows the text; the requests send it as stored, line breaks and all.
        m_introductionText = (*material.contact)[4];
        m_introductionEdited = false;
        m_fillingIntroduction = true;
        m_introduction->setPlainText(QString(m_introductionText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_fillingIntroduction = false;
    }
    if (material.material) {
        for (int i = 0; i < 3; ++i) {
            if ((*material.material)[i])
                m_suiji[i]->setText(*(*material.material)[i]);
        }
    }
}

QString MainWindow::introductionText() const
{
    if (!m_introductionEdited)
        return m_introductionText;
    QString text = m_introduction->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

void MainWindow::placeScrollBar()
{
    const int count = m_rows->placedCount();
    if (count == 0)
        return; // with no rows the scroll bar keeps its state
    // The bar steps 25 pixels a click; its range always reaches the last row, however many there are.
    const int viewport = m_picture1->height();
    const int maximum = std::max(kScrollStep * (count - 1), m_rows->contentHeight() - viewport);
    m_vscroll->setVisible(count > 4);
    // A list that shrank below one screenful shows from its first row: no bar is left to scroll back.
    if (count <= 4)
        m_vscroll->setValue(0);
    m_vscroll->setRange(0, maximum);
    m_vscroll->setSingleStep(kScrollStep);
    m_vscroll->setPageStep(kScrollStep);
    VScroll1_Change(m_vscroll->value());
}

void MainWindow::scrollToRow(int index)
{
    if (!m_vscroll->isVisible())
        return;
    const int top = RowPanel::kFirstRowTop + RowPanel::kRowPitch * index;
    const int value = m_vscroll->value();
    if (top < value)
        m_vscroll->setValue(top);
    else if (top + RowPanel::kRowPitch > value + m_picture1->height())
        m_vscroll->setValue(top + RowPanel::kRowPitch - m_picture1->height());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the rows turns the scroll bar, as it would over any list.
    if ((watched == m_picture1 || watched == m_rows) && event->type() == QEvent::Wheel && m_vscroll->isVisible()) {
        QCoreApplication::sendEvent(m_vscroll, event);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::VScroll1_Change(int value)
{
    m_rows->move(0, -value);
    m_rows->setViewport(value, m_picture1->height());
}

void MainWindow::Form_Activate()
{
    if (ProcessState::DataChanged == 100) {
        Body_url();
        ProcessState::DataChanged = 0;
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void MainWindow::mnuViewStatusBar_Click()
{
    statusBar()->setVisible(m_statusBarAction->isChecked());
}

void MainWindow::mnuHelpAbout_Click()
{
    Messages::show(this, u"版本 " + AppInfo::version());
}

void MainWindow::track(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_openWindows.erase(std::remove(m_openWindows.begin(), m_openWindows.end(), nullptr), m_openWindows.end());
    m_openWindows.emplace_back(window);
}

void MainWindow::showModeless(QWidget* window)
{
    track(window);
    window->move(frameGeometry().center() - window->rect().center());
    window->show();
}

QList<QWidget*> MainWindow::openWindows() const
{
    QList<QWidget*> windows;
    // A window that has been closed is only waiting to be deleted.
    for (const QPointer<QWidget>& window : m_openWindows) {
        if (window && window->isVisible())
            windows.append(window);
    }
    return windows;
}

BrowserWindow* MainWindow::newBrowser()
{
    QString error;
    BrowserWindow* browser = BrowserWindow::create(&error);
    if (!browser)
        Messages::show(this, u"无法打开浏览器窗口：" + error);
    return browser;
}

void MainWindow::openBrowser(const QString& address)
{
    BrowserWindow* browser = newBrowser();
    if (!browser)
        return;
    browser->StartingAddress = address;
    track(browser);
    browser->Form_Load();
}

void MainWindow::zi_cha_Click(int index)
{
    // One shared browser shows the list: made when first needed, reused unchanged while it is open.
    if (!m_doc) {
        m_doc = newBrowser();
        if (m_doc) {
            track(m_doc);
            connect(m_doc, &BrowserWindow::DownloadComplete, this, &MainWindow::doc_DownloadComplete);
            m_doc->Form_Load();
        }
    }
    m_listPage = BrowserWindow::addressOf(AppPaths::shippedFile(QStringLiteral("liebiao.html")));
    if (m_doc)
        m_doc->Navigate(AppPaths::shippedFile(QStringLiteral("liebiao.html")));

    QStringList domains;
    for (int i = 0; i < m_urlList->count(); ++i)
        domains.append(m_urlList->item(i)->text());
    m_listHtml = buildListHtml(m_rows->biao(index)->text(), m_rows->shu(index)->text(), domains);
}

BrowserWindow* MainWindow::sharedBrowser() const
{
    return m_doc;
}

void MainWindow::doc_DownloadComplete()
{
    // The list goes into the list page only, never into a page the user went on to from it.
    const QUrl shown = m_doc ? m_doc->currentUrl() : QUrl();
    // qrc:/x and qrc:///x are the same page.
    if (m_doc && shown.scheme() == m_listPage.scheme() && shown.host() == m_listPage.host() &&
        shown.path() == m_listPage.path())
        m_doc->setInnerHtml(QStringLiteral("lie"), m_listHtml);
}

void MainWindow::baocun_Click()
{
    if (m_workInet->stillExecuting() || m_readingKeywords) {
        Messages::show(this, busyMessage());
        return;
    }
    // A keyword list may hold a million lines: it is read off the GUI thread, and the upload goes out
    // from the event loop once it is in.
    m_readingKeywords = true;
    auto* watcher = new QFutureWatcher<KeywordFileLoader::UploadList>(this);
    connect(watcher, &QFutureWatcher<KeywordFileLoader::UploadList>::finished, this, [this, watcher] {
        watcher->deleteLater();
        QMetaObject::invokeMethod(
            this, [this, list = watcher->result()] { sendUpload(list); }, Qt::QueuedConnection);
    });
    watcher->setFuture(
        QtConcurrent::run(&KeywordFileLoader::readUploadList, AppPaths::filePath(QStringLiteral("word.txt"))));
}

void MainWindow::sendUpload(const KeywordFileLoader::UploadList& keywords)
{
    m_readingKeywords = false;
    if (keywords.splitLineNumber > 0) {
        // The service splits the list at "|*|": such a line would reach the sites as other words.
        Messages::show(this, QStringLiteral("word.txt 第%1行“%2”含有列表分隔符 |*|（或以 |* 结尾、以 *| 开头），"
                                            "服务器会把它拆成别的词。请在关键词窗口改掉这一行后再上传。")
                                 .arg(keywords.splitLineNumber)
                                 .arg(keywords.splitLine.left(50)));
        return;
    }
    if (!keywords.exists)
        Messages::show(this, QStringLiteral("不存在"));
    else if (!keywords.error.isEmpty())
        Messages::show(this, u"无法读取 word.txt（" + keywords.error + u"），这次传送不含关键词。");

    ServiceProtocol::UploadFields fields;
    for (int i = 0; i < 4; ++i)
        fields.contact[i] = m_contact[i]->text();
    fields.contact[4] = introductionText();
    fields.urlJoined = m_urlJoined;
    fields.biaoshiJoined = m_biaoshiJoined;
    fields.keywords = keywords.joined;
    sendRequest(ServiceProtocol::uploadBody(fields), {});
}

void MainWindow::zi_shen_Click(int index)
{
    QLineEdit* biao = m_rows->biao(index);
    QLineEdit* shu = m_rows->shu(index);
    if (biao->text().isEmpty()) {
        Messages::show(this, QStringLiteral("标识符不能为空！"));
        biao->setFocus();
        return;
    }
    bool isNumber = false;
    const double count = shu->text().trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(count) || count < 1) {
        Messages::show(this, QStringLiteral("数量必须大于1"));
        shu->setFocus();
        return;
    }
    if (m_workInet->stillExecuting() || m_readingKeywords) {
        Messages::show(this, busyMessage());
        return;
    }

    const ServiceProtocol::GenerationFields fields{biao->text(),       shu->text(),        m_suiji[0]->text(),
                                                   m_suiji[1]->text(), m_suiji[2]->text(), introductionText()};
    // The row is found again by its id when the request ends: the view may have been reloaded meanwhile.
    const QString idText = m_rows->id(index)->text();
    sendRequest(ServiceProtocol::generationBody(fields), [this, idText] { markGenerated(idText); });
}

bool MainWindow::sendRequest(const QString& body, std::function<void()> afterWait)
{
    if (!ServiceRequest::post(*m_workInet, body))
        return false;
    m_afterWait = std::move(afterWait);
    return true;
}

void MainWindow::WorkInet_Finished()
{
    // What follows the wait runs once the user has closed the reply's box.
    if (m_showingReply) {
        m_finishAfterReply = true;
        return;
    }
    m_workInet->cancel();
    if (auto afterWait = std::exchange(m_afterWait, {}))
        afterWait();
}

void MainWindow::markGenerated(const QString& idText)
{
    // The mark records that the request went out, whatever the service answered. An id that is no
    // usable whole number marks nothing.
    bool isNumber = false;
    const double id = std::trunc(idText.trimmed().toDouble(&isNumber));
    constexpr double kLimit = 9007199254740992.0; // 2^53: every whole number below is exact
    if (!isNumber || !std::isfinite(id) || std::abs(id) > kLimit)
        return;
    if (!StoreQueries::markIdentifierGenerated(LocalStore::connection(), qint64(id)))
        return;
    const int index = m_rows->indexOfId(idText);
    if (index >= 0)
        m_rows->enableView(index);
}

void MainWindow::WorkInet_StateChanged(int state)
{
    // The reply does not say which request it answers: upload and generation read alike.
    const auto outcome = ServiceRequest::onStateChanged(*m_workInet, ServiceProtocol::Action::UWork, state,
                                                        [this](const QString& text) { m_panels[0]->setText(text); });
    if (!outcome || outcome->message.isEmpty())
        return;
    m_showingReply = true;
    Messages::showLater(this, outcome->message, {}, [this, accepted = outcome->accepted, message = outcome->message] {
        if (accepted)
            m_panels[0]->setText(message);
        m_showingReply = false;
        if (std::exchange(m_finishAfterReply, false))
            WorkInet_Finished();
    });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!Form_Unload()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool MainWindow::Form_Unload()
{
    // Last opened first; a window that refuses to close (unsaved work kept) keeps the program open.
    for (auto it = m_openWindows.rbegin(); it != m_openWindows.rend(); ++it) {
        if (*it && !(*it)->close())
            return false;
    }
    m_openWindows.clear();
    if (!isMinimized())
        savePosition();
    return true;
}

void MainWindow::savePosition()
{
    QSettings settings(AppInfo::organization(), AppInfo::title());
    settings.beginGroup(QStringLiteral("Settings"));
    const QRect frame = frameGeometry();
    auto twips = [](int pixels) { return QString::number(float(pixels) * 15.0f); };
    settings.setValue(QStringLiteral("MainLeft"), twips(frame.left()));
    settings.setValue(QStringLiteral("MainTop"), twips(frame.top()));
    settings.setValue(QStringLiteral("MainWidth"), twips(frame.width()));
    settings.setValue(QStringLiteral("MainHeight"), twips(frame.height()));
}
