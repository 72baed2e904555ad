// The module's entry point: HttpClient on Qt's network access manager.
#include "base/HttpClient.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Keeps the cookies the answers set, at most a few hundred: a source that sets a new one with every
// answer of a long run does not grow the jar without end. The oldest go first.
class BoundedCookieJar final : public QNetworkCookieJar
{
public:
    static constexpr qsizetype kMaxCookies = 300;

    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override
    {
        const bool added = QNetworkCookieJar::setCookiesFromUrl(cookies, url);
        QList<QNetworkCookie> all = allCookies();
        if (all.size() > kMaxCookies) {
            all.remove(0, all.size() - kMaxCookies);
            setAllCookies(all);
        }
        return added;
    }
};

class NetworkClient final : public HttpClient
{
public:
    NetworkClient()
    {
        // Manual by default: the service's answers are taken as they come.
        m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        m_network.setCookieJar(new BoundedCookieJar);
    }

    ~NetworkClient() override
    {
        // The replies go with the manager; whoever waits for them may be half destroyed already.
        for (QNetworkReply* reply : m_network.findChildren<QNetworkReply*>()) {
            reply->disconnect();
            reply->abort();
        }
    }

    QIODevice* send(const HttpRequest& request, QObject* context, HttpEvents events) override
    {
        QNetworkRequest message(request.url);
        message.setTransferTimeout(int(request.timeout.count()));
        if (request.followRedirects)
            message.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                 request.allowRedirect ? QNetworkRequest::UserVerifiedRedirectPolicy
                                                       : QNetworkRequest::NoLessSafeRedirectPolicy);
        for (const auto& [name, value] : request.headers)
            message.setRawHeader(name, value);
        // A GET goes out as a browser sends it: a request with a body, even an empty one, would carry
        // a Content-Length header.
        QNetworkReply* reply = request.method == "GET" && request.body.isEmpty()
                                   ? m_network.get(message)
                                   : m_network.sendCustomRequest(message, request.method, request.body);

        // The context is half destroyed when it says so: the abort's finished() must not reach it.
        QObject::connect(context, &QObject::destroyed, reply, [reply, context] {
            QObject::disconnect(reply, nullptr, context, nullptr);
            reply->abort();
        });
        QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
        // Refused requests end as failed: the flag travels with the reply.
        auto refused = std::make_shared<bool>(false);
        // Qt's certificate checks stay on: an error ends the request before anything is sent.
        auto tlsError = std::make_shared<QString>();
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [tlsError](const QList<QSslError>& errors) {
            QStringList texts;
            for (const QSslError& error : errors)
                texts.append(error.errorString());
            *tlsError = texts.join(QStringLiteral("; "));
        });
        if (request.followRedirects && request.allowRedirect) {
            QObject::connect(reply, &QNetworkReply::redirected, reply,
                             [reply, refused, allow = request.allowRedirect, from = request.url](const QUrl& to) {
                                 const QUrl target = reply->url().resolved(to);
                                 // Never from https down to http.
                                 const bool downgrade = from.scheme() == u"https" && target.scheme() != u"https";
                                 if (!downgrade && allow(target)) {
                                     emit reply->redirectAllowed();
                                     return;
                                 }
                                 *refused = true;
                                 reply->abort();
                             });
        }
        if (request.deadline.count() > 0) {
            auto* deadline = new QTimer(reply);
            deadline->setSingleShot(true);
            QObject::connect(deadline, &QTimer::timeout, reply, [reply, refused] {
                *refused = true;
                reply->abort();
            });
            deadline->start(request.deadline);
        }
        if (request.maxBodyBytes > 0) {
            QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                             [reply, refused, limit = request.maxBodyBytes](qint64 received, qint64 total) {
                                 if (received > limit || total > limit) {
                                     *refused = true;
                                     reply->abort();
                                 }
                             });
        }
        if (events.connecting)
            QObject::connect(reply, &QNetworkReply::socketStartedConnecting, context, events.connecting);
        if (events.sent)
            QObject::connect(reply, &QNetworkReply::requestSent, context, events.sent);
        if (events.headers) {
            QObject::connect(reply, &QNetworkReply::metaDataChanged, context,
                             [headers = events.headers, seen = false]() mutable {
                                 if (!std::exchange(seen, true))
                                     headers();
                             });
        }
        // The body is counted as it is read: one over the limit ends the request there and then.
        auto deliver = [reply, data = events.data, refused, limit = request.maxBodyBytes,
                        received = std::make_shared<qint64>(0)] {
            if (*refused)
                return;
            const QByteArray bytes = reply->readAll();
            *received += bytes.size();
            if (limit > 0 && *received > limit) {
                *refused = true;
                reply->abort();
                return;
            }
            if (data && !bytes.isEmpty())
                data(bytes);
        };
        QObject::connect(reply, &QNetworkReply::readyRead, context, deliver);
        QObject::connect(
            reply, &QNetworkReply::finished, context,
            [reply, context, deliver, refused, tlsError, finished = events.finished, proxy = m_network.proxy()] {
                if (!*refused)
                    deliver();
                const QNetworkReply::NetworkError error = reply->error();
                const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                HttpResult result;
                result.status = status.isValid() ? status.toInt() : 0;
                result.refused = *refused;
                result.aborted = error == QNetworkReply::OperationCanceledError && !*refused;
                if (*refused)
                    result.status = 0;
                // Errors below 200 are transport failures (refused, time-out, lost connection); the others
                // are HTTP answers whose body is the reply like any other.
                result.transportFailed =
                    *refused || (error != QNetworkReply::NoError && (error < 200 || !status.isValid()));
                result.finalUrl = reply->url();
                result.contentType = reply->rawHeader("Content-Type");
                result.tlsError = *tlsError;
                result.certificateRefused = !tlsError->isEmpty();
                if (result.tlsError.isEmpty() && error == QNetworkReply::SslHandshakeFailedError)
                    result.tlsError = reply->errorString();
                if (proxy.type() == QNetworkProxy::DefaultProxy || !result.transportFailed || result.aborted ||
                    *refused) {
                    if (finished)
                        finished(result);
                    return;
                }
                // The proxy's own errors are its failures. A refused connection, a name not found or
                // a refused tunnel come alike whether the proxy or the site behind it failed (a proxy
                // answers CONNECT for a dead site with 502, 503 or 404): the proxy is then asked
                // whether it can be reached at all.
                if (error >= QNetworkReply::ProxyConnectionRefusedError && error <= QNetworkReply::UnknownProxyError) {
                    result.proxyFailed = true;
                    if (finished)
                        finished(result);
                    return;
                }
                probeProxy(proxy, context, [result, finished](bool reachable) mutable {
                    result.proxyFailed = !reachable;
                    if (finished)
                        finished(result);
                });
            });
        return reply;
    }

    void abort(QIODevice* reply) override
    {
        if (auto* networkReply = qobject_cast<QNetworkReply*>(reply))
            networkReply->abort();
    }

    void setProxy(const QUrl& proxy) override
    {
        if (proxy.isEmpty()) {
            m_network.setProxy(QNetworkProxy::DefaultProxy);
            return;
        }
        const auto type = proxy.scheme() == u"socks5" ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy;
        m_network.setProxy(QNetworkProxy(type, proxy.host(), quint16(proxy.port()), proxy.userName(QUrl::FullyDecoded),
                                         proxy.password(QUrl::FullyDecoded)));
    }

private:
    // Whether a connection to the proxy itself can be made, within a few seconds; answered once.
    static void probeProxy(const QNetworkProxy& proxy, QObject* context, std::function<void(bool)> answer)
    {
        auto* probe = new QTcpSocket(context);
        probe->setProxy(QNetworkProxy::NoProxy);
        auto* limit = new QTimer(probe);
        limit->setSingleShot(true);
        auto answerOnce = [probe, answer = std::move(answer)](bool reachable) {
            if (probe->property("answered").toBool())
                return;
            probe->setProperty("answered", true);
            probe->abort();
            probe->deleteLater();
            answer(reachable);
        };
        QObject::connect(probe, &QTcpSocket::connected, probe, [answerOnce] { answerOnce(true); });
        QObject::connect(probe, &QTcpSocket::errorOccurred, probe, [answerOnce] { answerOnce(false); });
        QObject::connect(limit, &QTimer::timeout, probe, [answerOnce] { answerOnce(false); });
        limit->start(std::chrono::seconds(5));
        probe->connectToHost(proxy.hostName(), proxy.port());
    }

    QNetworkAccessManager m_network;
};

} // namespace

extern "C" Q_DECL_EXPORT HttpClient* quillon_create_http_client()
{
    static const bool proxiesFromTheSystem = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return true;
    }();
    Q_UNUSED(proxiesFromTheSystem);
    return new NetworkClient;
}
