#include "service/ServiceRequest.h"

#include "base/TextCodec.h"
#include "service/ServiceConnection.h"
#include "service/TransferControl.h"

namespace ServiceRequest {

bool post(TransferControl& transfer, const QString& body)
{
    return transfer.execute(ServiceProtocol::requestAddress(transfer.service().ServerAddr()), QStringLiteral("POST"),
                            TextCodec::toAnsi(body), ServiceProtocol::contentTypeHeader());
}

QString takeReply(TransferControl& transfer)
{
    const QString reply = transfer.getChunk(ServiceProtocol::kReplyChunkBytes);
    if (!reply.isEmpty())
        transfer.cancel();
    return reply;
}

std::optional<ServiceProtocol::ReplyOutcome> onStateChanged(TransferControl& transfer, ServiceProtocol::Action action,
                                                            int state,
                                                            const std::function<void(const QString&)>& showText)
{
    if (state < 0 || state > ServiceProtocol::kStateComplete)
        return std::nullopt;
    showText(ServiceProtocol::stateText(state));
    if (state == ServiceProtocol::kStateError && !transfer.tlsError().isEmpty())
        return ServiceProtocol::ReplyOutcome{
            false, ServiceProtocol::secureConnectionMessage(transfer.host(), transfer.tlsError(),
                                                            transfer.certificateRefused())};
    if (state != ServiceProtocol::kStateComplete)
        return std::nullopt;
    const int status = transfer.httpStatus();
    return ServiceProtocol::classifyReply(action, takeReply(transfer), status);
}

} // namespace ServiceRequest
