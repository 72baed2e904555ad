#pragma once

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
class StandinService
{
public:
    // One call per request: its action and the body's length. Bodies carry passwords, so they are not logged.
    using Logger = std::function<void(const std::string& action, size_t bodyLength)>;

    explicit StandinService(std::string password, Logger logger = {});
    ~StandinService();

    // Binds to 127.0.0.1 (port 0: any free port) and serves on a thread of its own; returns the port or -1.
    int start(int port = 0);
    void stop();

    // Answers one request body; the cookie header may be empty. Sets the cookie to send back, if any.
    std::string answer(const std::string& body, const std::string& cookieHeader, std::string* setCookie);

    std::string password() const;
    std::string lastUpload() const;

private:
    void handle(const httplib::Request& request, httplib::Response& response);
    bool hasSession(const std::string& cookieHeader) const;

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    Logger m_logger;
    mutable std::mutex m_mutex;
    std::string m_password;
    std::string m_lastUpload;
    std::set<std::string> m_sessions;
};
