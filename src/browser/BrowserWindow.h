#pragma once

#include <QWidget>
#include <memory>

class QTimer;
class WebPage;

// frmBrowser: a plain window around one web view, its caption telling how loading goes.
class BrowserWindow : public QWidget
{
    Q_OBJECT

public:
    // A new window, or nullptr (and the reason) when the web engine cannot be loaded.
    static BrowserWindow* create(QString* error, QWidget* parent = nullptr);
    ~BrowserWindow() override;

    QString StartingAddress;

    void Form_Load();
    void Navigate(const QString& address);
    // The address Navigate() goes to for a file name or an address.
    static QUrl addressOf(const QString& address);
    QUrl currentUrl() const;
    bool Busy() const;
    void setInnerHtml(const QString& id, const QString& html);
    QWidget* view() const;

signals:
    void DownloadComplete();
    void NavigateComplete2();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit BrowserWindow(std::unique_ptr<WebPage> page, QWidget* parent);
    void timTimer_Timer();

    std::unique_ptr<WebPage> m_page;
    QTimer* m_timTimer = nullptr;
};

// Where the address of a file or a web page given as text points.
QUrl browserUrl(const QString& address);
