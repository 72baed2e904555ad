#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>

class QIODevice;
class QObject;

struct HttpRequest
{
    QUrl url;
    QByteArray method = "GET";
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    std::chrono::milliseconds timeout{30000}; // with no data moving
    std::chrono::milliseconds deadline{0};    // from start to end, data moving or not (0: none)
    bool followRedirects = false;             // only to places no less safe
    // When set, a redirect is followed only where this allows; any other ends the request as failed.
    std::function<bool(const QUrl&)> allowRedirect;
    // A reply body larger than this ends the request as failed (0: no limit).
    qint64 maxBodyBytes = 0;
};

struct HttpResult
{
    int status = 0;                  // the HTTP status; 0 when no HTTP answer came
    bool transportFailed = false;    // refused, timed out, past its deadline, cut off: no usable answer
    bool aborted = false;            // ended by its caller or by its context going away
    bool refused = false;            // a redirect not allowed, or a body over the limit: failed
    QUrl finalUrl;                   // where the redirects ended
    QByteArray contentType;          // the Content-Type header as it came, charset included
    QString tlsError;                // why a secure connection could not be made, else empty
    bool certificateRefused = false; // ... because the server's certificate is not trusted
    bool proxyFailed = false;        // the proxy could not be reached, or would not carry the request
};

// What a request reports, in this order: connecting, sent, headers, data (any number of times),
// finished. Each may be left empty.
struct HttpEvents
{
    std::function<void()> connecting;
    std::function<void()> sent;
    std::function<void()> headers;
    std::function<void(const QByteArray&)> data;
    std::function<void(const HttpResult&)> finished;
};

// Sends HTTP requests through one network manager, which keeps the cookies its answers set. Qt's
// network stack (with Kerberos and the proxy library behind it) lives in the module quillon_network,
// loaded with the first client, so the program starts without it.
class HttpClient
{
public:
    virtual ~HttpClient() = default;

    // Starts the request and returns its reply, which deletes itself once finished. The events run on
    // this thread, as connections to context: reply->disconnect(context) stops them. Destroying context
    // stops them and aborts the request.
    virtual QIODevice* send(const HttpRequest& request, QObject* context, HttpEvents events) = 0;
    // Ends a request under way at once; it then finishes as aborted.
    virtual void abort(QIODevice* reply) = 0;
    // Sends every later request through this proxy: http://[user:password@]host:port or socks5://…; an
    // empty address goes back to the system's settings.
    virtual void setProxy(const QUrl& proxy) = 0;

    // A client from the module; null, with error set, when the module cannot be loaded.
    static std::unique_ptr<HttpClient> create(QString* error = nullptr);
    // Whether the module loads, without making a client.
    static bool available(QString* error = nullptr);
};

// The module's entry point.
extern "C" {
using CreateHttpClientFunction = HttpClient* (*)();
}
#define QUILLON_CREATE_HTTP_CLIENT "quillon_create_http_client"
