// quillon-standin --password P [--port N]: serves the site-building service's /ajax.asp on 127.0.0.1
// until it is stopped, printing "PORT n" first and then one line per request.
#include "StandinService.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {
std::atomic<bool> g_stop{false};
void onSignal(int)
{
    g_stop = true;
}
} // namespace

int main(int argc, char* argv[])
{
    std::string password = "demo";
    int port = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--password") == 0)
            password = argv[i + 1];
        else if (std::strcmp(argv[i], "--port") == 0)
            port = std::atoi(argv[i + 1]);
    }

    StandinService service(password, [](const std::string& action, size_t bodyLength) {
        std::printf("%s %zu bytes\n", action.c_str(), bodyLength);
        std::fflush(stdout);
    });
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
