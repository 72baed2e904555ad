#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// A stand-in for the site-building service on 127.0.0.1: POST /ajax.asp with the four actions.
// "3" and a session cookie for the right login password, "2" for a wrong one; "2" for the other
// actions within a session and "0" without one.
// It stays usable under hostile clients: many connections are served at once, each request must
// arrive whole within a time limit, bodies over 4 MiB (a large upload) get "1", logins are refused for a
// minute after five wrong passwords in one, and old sessions are forgotten. Every answer names the
// server ("Server: quillon-standin"). With a certificate and key it serves HTTPS.
class StandinService
{
    using Clock = std::chrono::steady_clock;

public:
    static constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;
    static constexpr size_t kMaxSessions = 1000;
    static constexpr int kWrongPasswordsPerMinute = 5;

    struct Tls
    {
        std::string certificateFile; // PEM
        std::string keyFile;         // PEM
    };

    // One call per request: its action and the body's length. Bodies carry passwords, so they are not logged.
    using Logger = std::function<void(const std::string& action, size_t bodyLength)>;

    explicit StandinService(std::string password, Logger logger = {}, const Tls& tls = {});
    // False when the certificate or key could not be used.
    bool isValid() const;
    ~StandinService();

    // How long one request may take from its connection to its answer; set before start().
    void setRequestTimeLimit(std::chrono::milliseconds limit);

    // Binds to 127.0.0.1 (port 0: any free port) and serves on a thread of its own; returns the port or -1.
    int start(int port = 0);
    void stop();

    // Answers one request body; the cookie header may be empty. Sets the cookie to send back, if any.
    std::string answer(const std::string& body, const std::string& cookieHeader, std::string* setCookie);

    std::string password() const;
    std::string lastUpload() const;
    size_t sessionCount() const;

private:
    class Server;

    void handle(const std::string& body, const std::string& cookieHeader, httplib::Response& response);
    bool hasSession(const std::string& cookieHeader) const;
    void addSession(const std::string& token);

    bool loginThrottled(Clock::time_point now);

    std::unique_ptr<httplib::Server> m_server;
    Server* m_plain = nullptr;                   // the same server: its requests have a deadline
    bool m_tlsValid = true;                      // no TLS asked for, or its certificate and key are usable
    std::deque<Clock::time_point> m_wrongLogins; // in the last minute
    std::thread m_thread;
    Logger m_logger;
    mutable std::mutex m_mutex;
    std::string m_password;
    std::string m_lastUpload;
    std::set<std::string> m_sessions;
    std::deque<std::string> m_sessionOrder; // oldest first
};
