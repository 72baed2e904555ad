// The stand-in service's request handler: any body, any cookie header.
#include "FuzzInput.h"
#include "StandinService.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static StandinService service("secret");
    const QList<QByteArray> parts = FuzzInput::parts(data, size, 2);
    std::string setCookie;
    const std::string reply = service.answer(parts[0].toStdString(), parts[1].toStdString(), &setCookie);
    FuzzInput::require(reply == "0" || reply == "2" || reply == "3" ||
                       (reply == "1" && parts[0].startsWith("action=Ulogin"))); // "1": logins slowed down
    FuzzInput::require(setCookie.empty() == (reply != "3"));
    FuzzInput::require(service.sessionCount() <= StandinService::kMaxSessions);
    return 0;
}
