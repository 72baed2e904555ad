#include "TestHttpServer.h"

#include <QTcpServer>
#include <chrono>
#include <httplib.h>

TestHttpServer::TestHttpServer() : m_server(std::make_unique<httplib::Server>())
{
    m_handler = [](const Request&) { return Reply{}; };
    auto serve = [this](const httplib::Request& in, httplib::Response& out) {
        Request request{QByteArray::fromStdString(in.method),
                        QByteArray::fromStdString(in.path),
                        {},
                        QByteArray::fromStdString(in.body),
                        QByteArray::fromStdString(in.get_header_value("Cookie")),
                        QByteArray::fromStdString(in.get_header_value("Content-Type")),
                        QByteArray::fromStdString(in.get_header_value("User-Agent")),
                        QByteArray::fromStdString(in.get_header_value("Accept-Language")),
                        QByteArray::fromStdString(in.get_header_value("Referer"))};
        const auto queryStart = in.target.find('?');
        if (queryStart != std::string::npos)
            request.query = QByteArray::fromStdString(in.target.substr(queryStart + 1));
        Handler handler;
        {
            std::lock_guard lock(m_mutex);
            m_requests.append(request);
            handler = m_handler;
        }
        const Reply reply = handler(request);
        {
            // A reply that never comes, or one held back, waits for release() or the end.
            std::unique_lock lock(m_mutex);
            m_released.wait(lock, [this, &reply] { return m_stopping || (!reply.never && !m_held); });
        }
        if (reply.never)
            return;
        out.status = reply.status;
        if (!reply.location.isEmpty())
            out.set_header("Location", reply.location.toStdString());
        if (!reply.setCookie.isEmpty())
            out.set_header("Set-Cookie", reply.setCookie.toStdString());
        if (reply.trickleMs > 0) {
            // With its length given, nothing compresses (and so holds back) the bytes on their way.
            out.set_content_provider(
                size_t(reply.body.size()), reply.contentType.toStdString(),
                [this, body = reply.body, pause = reply.trickleMs](size_t offset, size_t, httplib::DataSink& sink) {
                    std::unique_lock lock(m_mutex);
                    m_released.wait_for(lock, std::chrono::milliseconds(pause), [this] { return bool(m_stopping); });
                    return !m_stopping && sink.write(body.constData() + offset, 1);
                });
            return;
        }
        out.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    };
    // One request per connection, so stopping never waits for an idle keep-alive connection.
    m_server->set_keep_alive_max_count(1);
    m_server->Post(".*", serve);
    m_server->Get(".*", serve);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() before the loop runs would be lost and the destructor would wait for ever.
    while (m_port > 0 && !m_server->is_running())
        std::this_thread::yield();
}

void TestHttpServer::hold()
{
    std::lock_guard lock(m_mutex);
    m_held = true;
}

void TestHttpServer::release()
{
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_released.notify_all();
}

TestHttpServer::~TestHttpServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void TestHttpServer::setHandler(Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

QString TestHttpServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QList<TestHttpServer::Request> TestHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int TestHttpServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_requests.size());
}

int TestHttpServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}
