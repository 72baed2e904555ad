// A service reply: its first chunk, decoded, and the table of codes for every action.
#include "FuzzInput.h"
#include "base/TextCodec.h"
#include "service/ServiceProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView body = FuzzInput::bytes(data, size);
    const QString reply =
        TextCodec::fromAnsi(body.first(std::min<qsizetype>(body.size(), ServiceProtocol::kReplyChunkBytes)));
    using ServiceProtocol::Action;
    for (Action action : {Action::Ulogin, Action::modmima, Action::UWork, Action::madeweb}) {
        const ServiceProtocol::ReplyOutcome outcome = ServiceProtocol::classifyReply(action, reply);
        if (reply.size() >= 3)
            FuzzInput::require(!outcome.accepted && outcome.message.startsWith(u"网络中断或服务器超时！"));
        else if (reply != u"0" && reply != u"1" && reply != u"2" && reply != u"3")
            FuzzInput::require(!outcome.accepted && outcome.message.isEmpty());
    }
    return 0;
}
