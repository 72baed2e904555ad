// quillon-standin [--password P] [--port N] [--tls-cert FILE --tls-key FILE]: serves the site-building
// service's /ajax.asp on 127.0.0.1 until it is stopped, printing "PORT n" first and then one line per
// request. The password comes from --password, else QUILLON_STANDIN_PASSWORD, else the first line of
// standard input when that is not a terminal; there is no built-in one.
#include "StandinService.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {
std::atomic<bool> g_stop{false};
void onSignal(int)
{
    g_stop = true;
}

int usage(const char* problem)
{
    std::fprintf(stderr,
                 "quillon-standin: %s\n"
                 "usage: quillon-standin [--password P] [--port N] [--tls-cert FILE --tls-key FILE]\n"
                 "The password may also come from QUILLON_STANDIN_PASSWORD or standard input.\n",
                 problem);
    return 2;
}
} // namespace

int main(int argc, char* argv[])
{
    std::string password;
    bool passwordGiven = false;
    int port = 0;
    StandinService::Tls tls;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc)
            return usage("an option is missing its value");
        const std::string value = argv[i + 1];
        if (std::strcmp(argv[i], "--password") == 0) {
            password = value;
            passwordGiven = true;
        } else if (std::strcmp(argv[i], "--port") == 0) {
            port = std::atoi(value.c_str());
        } else if (std::strcmp(argv[i], "--tls-cert") == 0) {
            tls.certificateFile = value;
        } else if (std::strcmp(argv[i], "--tls-key") == 0) {
            tls.keyFile = value;
        } else {
            return usage("unknown option");
        }
    }
    if (!passwordGiven) {
        if (const char* fromEnvironment = std::getenv("QUILLON_STANDIN_PASSWORD")) {
            password = fromEnvironment;
        } else if (!::isatty(STDIN_FILENO)) {
            std::getline(std::cin, password);
            if (!password.empty() && password.back() == '\r')
                password.pop_back();
        }
    }
    if (password.empty())
        return usage("no password: give --password, QUILLON_STANDIN_PASSWORD or a line on standard input");
    if (tls.certificateFile.empty() != tls.keyFile.empty())
        return usage("--tls-cert and --tls-key go together");

    StandinService service(
        password,
        [](const std::string& action, size_t bodyLength) {
            std::printf("%s %zu bytes\n", action.c_str(), bodyLength);
            std::fflush(stdout);
        },
        tls);
    if (!service.isValid()) {
        std::fprintf(stderr, "quillon-standin: the certificate or key cannot be used\n");
        return 1;
    }
    const int bound = service.start(port);
    if (bound < 0) {
        std::fprintf(stderr, "quillon-standin: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("PORT %d\n", bound);
    std::fflush(stdout);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    service.stop();
    return 0;
}
