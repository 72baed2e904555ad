#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
}

// A real HTTP server on 127.0.0.1 for tests: records every request and answers as told.
class TestHttpServer
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QByteArray query;
        QByteArray body;
        QByteArray cookie;
        QByteArray contentType;
        QByteArray userAgent;
        QByteArray acceptLanguage;
        QByteArray referer;
    };
    struct Reply
    {
        QByteArray body;
        QByteArray contentType = "text/html";
        QByteArray setCookie;
        int status = 200;
        bool never = false;  // hold the connection without answering
        QByteArray location; // a Location header, for redirects
        int trickleMs = 0;   // the body a byte at a time, this many ms apart
    };
    using Handler = std::function<Reply(const Request&)>;

    TestHttpServer();
    ~TestHttpServer();

    void setHandler(Handler handler);
    void setReply(const QByteArray& body)
    {
        setHandler([body](const Request&) { return Reply{body}; });
    }
    // Takes every request and never answers it.
    void setSilent()
    {
        setHandler([](const Request&) {
            Reply reply;
            reply.never = true;
            return reply;
        });
    }
    // While held, answers wait until release() (or the server stops); requests are still recorded.
    void hold();
    void release();

    int port() const { return m_port; }
    QString hostPort() const;
    QList<Request> requests() const;
    int requestCount() const;

    // A port on 127.0.0.1 that nothing listens on, and its address.
    static int closedPort();
    static QString closedUrl() { return QStringLiteral("http://127.0.0.1:%1").arg(closedPort()); }

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
    mutable std::mutex m_mutex;
    Handler m_handler;
    QList<Request> m_requests;
    std::atomic<bool> m_stopping{false};
    std::condition_variable m_released;
    bool m_held = false;
};
