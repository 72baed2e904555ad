#include "StandinService.h"

#include <httplib.h>
#include <random>

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

} // namespace

StandinService::StandinService(std::string password, Logger logger)
    : m_server(std::make_unique<httplib::Server>()), m_logger(std::move(logger)), m_password(std::move(password))
{
    m_server->Post("/ajax.asp",
                   [this](const httplib::Request& request, httplib::Response& response) { handle(request, response); });
    m_server->Get("/ajax.asp", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("0", "text/html; charset=gbk");
    });
}

StandinService::~StandinService()
{
    stop();
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

void StandinService::handle(const httplib::Request& request, httplib::Response& response)
{
    std::string setCookie;
    const std::string reply = answer(request.body, request.get_header_value("Cookie"), &setCookie);
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
        if (valueAfter(body, "action=Ulogin&Pass=") != m_password)
            return "2";
        const std::string token = newToken();
        m_sessions.insert(token);
        if (setCookie)
            *setCookie = kCookieName + "=" + token + "; Path=/; HttpOnly";
        return "3";
    }
    if (action != "modmima" && action != "UWork" && action != "madeweb")
        return "0";
    if (!hasSession(cookieHeader))
        return "0";
    if (action == "modmima")
        m_password = valueAfter(body, "action=modmima&mima=");
    else if (action == "UWork")
        m_lastUpload = body;
    return "2";
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
