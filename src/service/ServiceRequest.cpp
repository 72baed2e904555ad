#include "ServiceRequest.h"

#include "ServiceProtocol.h"
#include "TransferControl.h"
#include "app/ProcessState.h"
#include "app/TextCodec.h"

namespace ServiceRequest {

bool post(TransferControl& transfer, const QString& body)
{
    return transfer.execute(ServiceProtocol::requestAddress(ProcessState::ServerAddr), QStringLiteral("POST"),
                            TextCodec::toAnsi(body), ServiceProtocol::contentTypeHeader());
}

QString takeReply(TransferControl& transfer)
{
    const QString reply = transfer.getChunk(ServiceProtocol::kReplyChunkBytes);
    if (!reply.isEmpty())
        transfer.cancel();
    return reply;
}

} // namespace ServiceRequest
