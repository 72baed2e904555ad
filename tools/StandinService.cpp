#include "StandinService.h"

#include <httplib.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <random>
#ifndef _WIN32
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

const std::string kCookieName = "QSESSION";

std::string valueAfter(const std::string& body, const std::string& prefix)
{
    // Values are sent unescaped and may hold "&": the login and password values run to the end.
    return body.compare(0, prefix.size(), prefix) == 0 ? body.substr(prefix.size()) : std::string();
}

std::string actionOf(const std::string& body)
{
    const std::string prefix = "action=";
    if (body.compare(0, prefix.size(), prefix) != 0)
        return {};
    const size_t end = body.find('&');
    return body.substr(prefix.size(), end == std::string::npos ? std::string::npos : end - prefix.size());
}

std::string newToken()
{
    static std::random_device device;
    std::uniform_int_distribution<unsigned long long> distribution;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%016llx%016llx", distribution(device), distribution(device));
    return buffer;
}

// Enough threads that a few slow clients never hold up the others.
constexpr size_t kThreads = 64;
constexpr auto kReadTimeout = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

#ifndef _WIN32
// A connection whose reads and writes all end by one deadline: the read time-out alone restarts with
// every byte, so a client trickling its request in would hold a thread for as long as it likes.
class DeadlineStream final : public httplib::Stream
{
public:
    DeadlineStream(int sock, Clock::time_point deadline) : m_sock(sock), m_deadline(deadline) {}

    bool is_readable() const override { return wait(POLLIN); }
    bool is_writable() const override { return wait(POLLOUT); }
    // Waits until the socket can be read or written, at most until the deadline.
    bool waitFor(short events) const { return wait(events); }
    ssize_t read(char* ptr, size_t size) override { return wait(POLLIN) ? ::recv(m_sock, ptr, size, 0) : -1; }
    ssize_t write(const char* ptr, size_t size) override
    {
        return wait(POLLOUT) ? ::send(m_sock, ptr, size, MSG_NOSIGNAL) : -1;
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override { address(::getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address(::getsockname, ip, port); }
    socket_t socket() const override { return m_sock; }

private:
    bool wait(short events) const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        const auto timeout = std::min<std::chrono::milliseconds>(left, kReadTimeout);
        if (timeout.count() <= 0)
            return false;
        pollfd descriptor{m_sock, events, 0};
        int ready;
        do {
            ready = ::poll(&descriptor, 1, int(timeout.count()));
        } while (ready < 0 && errno == EINTR);
        return ready > 0;
    }
    void address(int (*query)(int, sockaddr*, socklen_t*), std::string& ip, int& port) const
    {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        char text[INET_ADDRSTRLEN] = {};
        if (query(m_sock, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text)) {
            ip = text;
            port = ntohs(address.sin_port);
        }
    }

    int m_sock;
    Clock::time_point m_deadline;
};

// The same connection over TLS: the handshake, reads and writes all end by its deadline.
class TlsDeadlineStream final : public httplib::Stream
{
public:
    TlsDeadlineStream(int sock, SSL* ssl, Clock::time_point deadline) : m_plain(sock, deadline), m_ssl(ssl) {}
    bool handshake()
    {
        return retry([this] { return SSL_accept(m_ssl); }) == 1;
    }
    bool is_readable() const override { return SSL_pending(m_ssl) > 0 || m_plain.is_readable(); }
    bool is_writable() const override { return m_plain.is_writable(); }
    ssize_t read(char* ptr, size_t size) override
    {
        const int got = retry([&] { return SSL_read(m_ssl, ptr, int(std::min<size_t>(size, INT_MAX))); });
        return got > 0 ? got : -1;
    }
    ssize_t write(const char* ptr, size_t size) override
    {
        const int put = retry([&] { return SSL_write(m_ssl, ptr, int(std::min<size_t>(size, INT_MAX))); });
        return put > 0 ? put : -1;
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override { m_plain.get_remote_ip_and_port(ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { m_plain.get_local_ip_and_port(ip, port); }
    socket_t socket() const override { return m_plain.socket(); }

private:
    // The socket does not block: OpenSSL says what it waits for, and the wait ends by the deadline.
    template <typename Operation> int retry(Operation operation)
    {
        for (;;) {
            const int result = operation();
            if (result > 0)
                return result;
            const int error = SSL_get_error(m_ssl, result);
            if (!(error == SSL_ERROR_WANT_READ && m_plain.waitFor(POLLIN)) &&
                !(error == SSL_ERROR_WANT_WRITE && m_plain.waitFor(POLLOUT)))
                return result;
        }
    }

    DeadlineStream m_plain;
    SSL* m_ssl;
};
#endif

} // namespace

// The HTTP server, with every connection bounded in time, plain or over TLS.
class StandinService::Server : public httplib::Server
{
public:
    std::chrono::milliseconds timeLimit{30000};
    SSL_CTX* tls = nullptr; // owned; null for plain HTTP

    ~Server() override { SSL_CTX_free(tls); }

private:
#ifndef _WIN32
    bool process_and_close_socket(socket_t sock) override
    {
        const Clock::time_point deadline = Clock::now() + timeLimit;
        bool served = false;
        bool closed = false;
        // One request a connection, so the connection's deadline is the request's.
        if (!tls) {
            DeadlineStream stream(sock, deadline);
            served = process_request(stream, true, closed, nullptr);
        } else if (SSL* ssl = SSL_new(tls)) {
            ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
            SSL_set_fd(ssl, sock);
            TlsDeadlineStream stream(sock, ssl, deadline);
            if (stream.handshake()) {
                served = process_request(stream, true, closed, nullptr);
                SSL_shutdown(ssl);
            }
            SSL_free(ssl);
            ERR_clear_error();
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return served;
    }
#endif
};

StandinService::StandinService(std::string password, Logger logger, const Tls& tls)
    : m_logger(std::move(logger)), m_password(std::move(password))
{
    auto server = std::make_unique<Server>();
    m_plain = server.get();
    if (!tls.certificateFile.empty()) {
        // TLS on the same connections, so that its requests have the same time limit.
        server->tls = SSL_CTX_new(TLS_server_method());
        if (server->tls && (SSL_CTX_use_certificate_chain_file(server->tls, tls.certificateFile.c_str()) != 1 ||
                            SSL_CTX_use_PrivateKey_file(server->tls, tls.keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
                            SSL_CTX_check_private_key(server->tls) != 1)) {
            SSL_CTX_free(server->tls);
            server->tls = nullptr;
        }
        m_tlsValid = server->tls != nullptr;
    }
    m_server = std::move(server);
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    m_server->set_payload_max_length(kMaxBodyBytes);
    // The body is read here, counted as it arrives (decompressed, chunked or not): the library itself
    // would refuse any form body over 8 KiB, and an upload of a mined list is tens of kilobytes.
    m_server->Post("/ajax.asp", [this](const httplib::Request& request, httplib::Response& response,
                                       const httplib::ContentReader& content) {
        std::string body;
        bool tooLarge = false;
        const bool read = content([&](const char* data, size_t length) {
            tooLarge = tooLarge || body.size() + length > kMaxBodyBytes;
            if (!tooLarge)
                body.append(data, length);
            return !tooLarge;
        });
        if (!read || tooLarge) {
            // The library marks a body it stopped reading as a bad request; too large is too large,
            // however it was sent: the service's "server error" code, as for a body whose length said so.
            response.status = 200;
            response.set_content("1", "text/html; charset=gbk");
            return;
        }
        handle(body, request.get_header_value("Cookie"), response);
    });
    m_server->Get("/ajax.asp", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("0", "text/html; charset=gbk");
    });
    // A body too large for an upload gets the service's "server error" code.
    m_server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.status == 413) {
            response.status = 200;
            response.set_content("1", "text/html; charset=gbk");
        }
    });
    m_server->set_post_routing_handler(
        [](const httplib::Request&, httplib::Response& response) { response.set_header("Server", "quillon-standin"); });
}

bool StandinService::isValid() const
{
    return m_server->is_valid() && m_tlsValid;
}

StandinService::~StandinService()
{
    stop();
}

void StandinService::setRequestTimeLimit(std::chrono::milliseconds limit)
{
    if (m_plain)
        m_plain->timeLimit = limit;
}

int StandinService::start(int port)
{
    const int bound =
        port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound < 0)
        return -1;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() before the loop runs would be lost, and stopping would then wait for ever.
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return bound;
}

void StandinService::stop()
{
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

void StandinService::handle(const std::string& body, const std::string& cookieHeader, httplib::Response& response)
{
    std::string setCookie;
    const std::string reply = answer(body, cookieHeader, &setCookie);
    if (!setCookie.empty())
        response.set_header("Set-Cookie", setCookie);
    response.set_content(reply, "text/html; charset=gbk");
}

bool StandinService::hasSession(const std::string& cookieHeader) const
{
    for (const std::string& token : m_sessions) {
        if (cookieHeader.find(kCookieName + "=" + token) != std::string::npos)
            return true;
    }
    return false;
}

std::string StandinService::answer(const std::string& body, const std::string& cookieHeader, std::string* setCookie)
{
    const std::string action = actionOf(body);
    if (m_logger)
        m_logger(action.empty() ? "(none)" : action, body.size());

    std::lock_guard lock(m_mutex);
    if (action == "Ulogin") {
        const Clock::time_point now = Clock::now();
        // Guessing is slowed down: after five wrong passwords in a minute every login gets "server error"
        // until that minute has passed.
        if (loginThrottled(now))
            return "1";
        if (valueAfter(body, "action=Ulogin&Pass=") != m_password) {
            m_wrongLogins.push_back(now);
            return "2";
        }
        const std::string token = newToken();
        addSession(token);
        if (setCookie)
            *setCookie = kCookieName + "=" + token + "; Path=/; HttpOnly";
        return "3";
    }
    if (action != "modmima" && action != "UWork" && action != "madeweb")
        return "0";
    if (!hasSession(cookieHeader))
        return "0";
    if (action == "modmima") {
        // An empty password would let anyone in.
        const std::string password = valueAfter(body, "action=modmima&mima=");
        if (password.empty())
            return "0";
        m_password = password;
    } else if (action == "UWork")
        m_lastUpload = body;
    return "2";
}

bool StandinService::loginThrottled(Clock::time_point now)
{
    while (!m_wrongLogins.empty() && now - m_wrongLogins.front() >= std::chrono::minutes(1))
        m_wrongLogins.pop_front();
    return m_wrongLogins.size() >= size_t(kWrongPasswordsPerMinute);
}

void StandinService::addSession(const std::string& token)
{
    // A client that logs in again and again must not grow the set for ever: the oldest session goes.
    m_sessions.insert(token);
    m_sessionOrder.push_back(token);
    while (m_sessionOrder.size() > kMaxSessions) {
        m_sessions.erase(m_sessionOrder.front());
        m_sessionOrder.pop_front();
    }
}

size_t StandinService::sessionCount() const
{
    std::lock_guard lock(m_mutex);
    return m_sessions.size();
}

std::string StandinService::password() const
{
    std::lock_guard lock(m_mutex);
    return m_password;
}

std::string StandinService::lastUpload() const
{
    std::lock_guard lock(m_mutex);
    return m_lastUpload;
}
