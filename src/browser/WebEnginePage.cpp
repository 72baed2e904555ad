// The web engine module: a WebPage over QWebEngineView.
#include "browser/WebPage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

class WebEnginePage final : public WebPage
{
public:
    explicit WebEnginePage(QWidget* parent) : m_view(new QWebEngineView(parent))
    {
        m_view->setObjectName(QStringLiteral("brwWebBrowser"));
        // The pages shown are local files and the sites of the web: neither may read the user's other
        // files, hand an address of an unknown scheme to a program of the desktop, or be replaced by
        // whatever is dropped on the view.
        QWebEngineSettings* settings = m_view->settings();
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
        settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
        QObject::connect(m_view, &QWebEngineView::loadStarted, m_view, [this] { m_busy = true; });
        QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [this](bool) {
            m_busy = false;
            if (onDownloadComplete)
                onDownloadComplete();
        });
        QObject::connect(m_view, &QWebEngineView::urlChanged, m_view, [this](const QUrl&) {
            if (onNavigateComplete)
                onNavigateComplete();
        });
    }
    ~WebEnginePage() override { delete m_view.data(); }

    QWidget* widget() override { return m_view; }

    void navigate(const QUrl& address) override
    {
        m_busy = true; // busy from the request on, not only once the engine says so
        m_view->load(address);
    }

    bool busy() const override { return m_busy; }
    QUrl url() const override { return m_view->url(); }

    void setInnerHtml(const QString& id, const QString& html) override
    {
        const QString arguments = QString::fromUtf8(QJsonDocument(QJsonArray{id, html}).toJson(QJsonDocument::Compact));
        m_view->page()->runJavaScript(u"(function(a){var e=document.getElementById(a[0]);if(e)e.innerHTML=a[1];})(" +
                                      arguments + u");");
    }

private:
    QPointer<QWebEngineView> m_view;
    bool m_busy = false;
};

} // namespace

extern "C" Q_DECL_EXPORT WebPage* quillon_create_web_page(QWidget* parent)
{
    return new WebEnginePage(parent);
}
