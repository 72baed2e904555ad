#pragma once

#include <QString>

// The request and reply rules of the site-building service: every request is a form POST to
// ServerAddr + "/ajax.asp" and every answer a one-character code.
namespace ServiceProtocol {

enum class Action
{
    Ulogin,
    modmima,
    UWork,
    madeweb
};

QString requestAddress(const QString& serverAddr);
QString contentTypeHeader();

// Form fields go out so that a standard form decoder gives back the exact text: "&", "%", "+", "=" and
// "#" are escaped as %XX. The password fields go out as they always have; newPasswordProblem() refuses
// the characters that would change them.
QString loginBody(const QString& password);
// Why a new password cannot be used, or empty.
QString newPasswordProblem(const QString& password);
QString passwordChangeBody(const QString& newPassword);

struct UploadFields
{
    // Company, address, telephone, QQ, introduction, in that order.
    QString contact[5];
    QString urlJoined;
    QString biaoshiJoined;
    QString keywords; // every keyword followed by "|*|"
};
QString uploadBody(const UploadFields& fields);

struct GenerationFields
{
    QString biaoshi;
    QString shuliang;
    QString title;
    QString body;
    QString hang;
    QString introduction;
};
QString generationBody(const GenerationFields& fields);

// What a window does with a reply; the message is empty when none is shown.
struct ReplyOutcome
{
    bool accepted = false;
    QString message;
};
// A reply with an HTTP status other than 2xx is an error page, however short.
ReplyOutcome classifyReply(Action action, const QString& reply, int httpStatus = 200);
// What the user is told when no secure connection could be made: the service's certificate refused, or
// the handshake failed otherwise (no https server at that address).
QString secureConnectionMessage(const QString& host, const QString& detail, bool certificateRefused);

// Text shown for a transfer state 0..12; empty for any other number.
QString stateText(int state);

// The transfer states a sending window is told of, by number.
inline constexpr int kStateNone = 0;
inline constexpr int kStateResolving = 1;
inline constexpr int kStateResolved = 2;
inline constexpr int kStateConnecting = 3;
inline constexpr int kStateConnected = 4;
inline constexpr int kStateRequesting = 5;
inline constexpr int kStateRequestSent = 6;
inline constexpr int kStateReceiving = 7;
inline constexpr int kStateResponseReceived = 8;
inline constexpr int kStateClosing = 9;
inline constexpr int kStateClosed = 10;
inline constexpr int kStateError = 11;
inline constexpr int kStateComplete = 12;
inline constexpr int kReplyChunkBytes = 1024;

} // namespace ServiceProtocol
