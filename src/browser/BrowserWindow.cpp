#include "browser/BrowserWindow.h"

#include "base/ModuleLoader.h"
#include "base/QtTranslations.h"
#include "browser/WebPage.h"
#include "ui/Twips.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Qt's own (exported) setter of the context every OpenGL context shares with.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

// The web engine renders through an OpenGL context that Qt makes at start-up when asked to. Asking
// would load the GL stack on every start, so the context is made here, with the first browser window.
void provideShareContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    if (context->create())
        qt_gl_set_global_share_context(context);
}

CreateWebPageFunction loadEngine(QString* error)
{
    static CreateWebPageFunction create = nullptr;
    if (create)
        return create;
    provideShareContext();
#ifdef Q_OS_UNIX
    // The engine's sandbox stays on, except as root, where Chromium cannot start with it.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        std::fputs(
            "quillon: 以 root 身份运行，网页组件的沙箱已关闭 (running as root: the web engine's sandbox is off)\n",
            stderr);
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
#endif
    create = reinterpret_cast<CreateWebPageFunction>(
        ModuleLoader::resolve(QStringLiteral("quillon_webengine"), QUILLON_CREATE_WEB_PAGE, error));
    // The page's own menu (back, copy, view source) comes from the engine and is translated by its
    // catalog, loaded with it.
    if (create)
        QtTranslations::install(*QCoreApplication::instance(), QStringLiteral("qtwebengine"));
    return create;
}

} // namespace

QUrl browserUrl(const QString& address)
{
    if (address.startsWith(u":/"))
        return QUrl(u"qrc" + address);
    if (QFileInfo(address).isAbsolute())
        return QUrl::fromLocalFile(address);
    return QUrl::fromUserInput(address);
}

BrowserWindow* BrowserWindow::create(QString* error, QWidget* parent)
{
    const CreateWebPageFunction createPage = loadEngine(error);
    if (!createPage)
        return nullptr;
    return new BrowserWindow(std::unique_ptr<WebPage>(createPage(nullptr)), parent);
}

BrowserWindow::BrowserWindow(std::unique_ptr<WebPage> page, QWidget* parent)
    : QWidget(parent, Qt::Window), m_page(std::move(page))
{
    setObjectName(QStringLiteral("frmBrowser"));
    resize(800, 600);
    m_page->widget()->setParent(this);
    m_page->widget()->move(0, 0);
    m_page->onDownloadComplete = [this] {
        setWindowTitle(QStringLiteral("Vantrel"));
        emit DownloadComplete();
    };
    m_page->onNavigateComplete = [this] {
        setWindowTitle(QStringLiteral("加载2..."));
        emit NavigateComplete2();
    };
    m_timTimer = new QTimer(this);
    m_timTimer->setObjectName(QStringLiteral("timTimer"));
    m_timTimer->setInterval(5);
    connect(m_timTimer, &QTimer::timeout, this, &BrowserWindow::timTimer_Timer);
}

BrowserWindow::~BrowserWindow()
{
    m_page.reset(); // the view goes with it, before the window's other children
}

void BrowserWindow::Form_Load()
{
    show();
    resizeEvent(nullptr);
    if (!StartingAddress.isEmpty()) {
        m_timTimer->start();
        Navigate(StartingAddress);
    }
}

void BrowserWindow::Navigate(const QString& address)
{
    m_page->navigate(browserUrl(address));
}

QUrl BrowserWindow::addressOf(const QString& address)
{
    return browserUrl(address);
}

QUrl BrowserWindow::currentUrl() const
{
    return m_page->url();
}

bool BrowserWindow::Busy() const
{
    return m_page->busy();
}

void BrowserWindow::setInnerHtml(const QString& id, const QString& html)
{
    m_page->setInnerHtml(id, html);
}

QWidget* BrowserWindow::view() const
{
    return m_page->widget();
}

void BrowserWindow::timTimer_Timer()
{
    if (Busy()) {
        setWindowTitle(QStringLiteral("Working..."));
        return;
    }
    m_timTimer->stop();
    setWindowTitle(QStringLiteral("Vantrel-站群"));
}

void BrowserWindow::resizeEvent(QResizeEvent* event)
{
    if (event)
        QWidget::resizeEvent(event);
    m_page->widget()->resize(std::max(0, width() - Twips::px(100)), std::max(0, height() - Twips::px(100)));
}
