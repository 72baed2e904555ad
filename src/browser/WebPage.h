#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

// What the browser window needs of a web engine. The engine lives in a module of its own that is
// loaded with the first browser window, so a run that never opens one never pays for it.
class WebPage
{
public:
    virtual ~WebPage() = default;

    // The view, made a child of the given parent.
    virtual QWidget* widget() = 0;
    virtual void navigate(const QUrl& address) = 0;
    virtual bool busy() const = 0;
    // The address of the page shown (or being loaded).
    virtual QUrl url() const = 0;
    // Sets the inner HTML of the element with the id; does nothing on a page without it.
    virtual void setInnerHtml(const QString& id, const QString& html) = 0;

    std::function<void()> onDownloadComplete; // a load has completed
    std::function<void()> onNavigateComplete; // a navigation has been committed
};

// The module's entry point.
extern "C" {
using CreateWebPageFunction = WebPage* (*)(QWidget* parent);
}
#define QUILLON_CREATE_WEB_PAGE "quillon_create_web_page"
