#pragma once

#include <QString>

class TransferControl;

// The service's side of a transfer: every window sends and reads its requests the same way.
namespace ServiceRequest {

// Posts a form body to ServerAddr + "/ajax.asp" as ANSI bytes; false while another request runs.
bool post(TransferControl& transfer, const QString& body);
// The reply at the last state: its first 1024 bytes as text; a reply that came is then released.
QString takeReply(TransferControl& transfer);

} // namespace ServiceRequest
