#pragma once

#include "service/ServiceProtocol.h"

#include <QString>
#include <functional>
#include <optional>

class TransferControl;

// The service's side of a transfer: every window sends and reads its requests the same way.
namespace ServiceRequest {

// Posts a form body to ServerAddr + "/ajax.asp" as ANSI bytes; false while another request runs.
bool post(TransferControl& transfer, const QString& body);
// The reply at the last state: its first 1024 bytes as text; a reply that came is then released.
QString takeReply(TransferControl& transfer);
// A state change as every sending window handles it: the state's text goes to showText, and at the
// last state the reply is read and classified for the action. Nothing for other states.
std::optional<ServiceProtocol::ReplyOutcome> onStateChanged(TransferControl& transfer, ServiceProtocol::Action action,
                                                            int state,
                                                            const std::function<void(const QString&)>& showText);

} // namespace ServiceRequest
