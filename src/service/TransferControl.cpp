#include "service/TransferControl.h"

#include "base/HttpClient.h"
#include "base/TextCodec.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"

#include <QIODevice>
#include <QUrl>
#include <cstdio>

namespace {
// How many reply bytes are kept; the rest of a long reply is read and dropped.
constexpr qsizetype kKeptBytes = ServiceProtocol::kReplyChunkBytes;
} // namespace

TransferControl::TransferControl(ServiceConnection& service, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), m_service(service), m_timeout(timeout)
{
}

TransferControl::~TransferControl()
{
    releaseReply();
}

bool TransferControl::execute(const QString& url, const QString& method, const QByteArray& body,
                              const QString& headerLine)
{
    if (m_executing)
        return false;

    const QUrl address(url, QUrl::StrictMode);
    m_chunk.clear();
    m_status = 0;
    m_tlsError.clear();
    m_certificateRefused = false;
    m_host = address.host();
    m_replyFinished = false;
    m_executing = true;
    QString error;
    HttpClient* client = m_service.client(&error);
    if (!client)
        std::fprintf(stderr, "quillon: %s\n", qPrintable(error));
    if (!client || !address.isValid() || address.host().isEmpty()) {
        // An address that cannot be used fails like an unreachable host.
        QMetaObject::invokeMethod(
            this,
            [this] {
                report(ServiceProtocol::kStateError);
                m_executing = false;
                emit finished();
            },
            Qt::QueuedConnection);
        return true;
    }

    HttpRequest request;
    request.url = address;
    request.method = method.toLatin1();
    request.body = body;
    request.timeout = m_timeout;
    const qsizetype colon = headerLine.indexOf(u':');
    if (colon > 0)
        request.headers.append(
            {headerLine.left(colon).trimmed().toLatin1(), headerLine.mid(colon + 1).trimmed().toLatin1()});

    HttpEvents events;
    events.connecting = [this] { report(ServiceProtocol::kStateConnecting); };
    events.sent = [this] { report(ServiceProtocol::kStateRequestSent); };
    events.headers = [this] { report(ServiceProtocol::kStateReceiving); };
    events.data = [this](const QByteArray& data) {
        if (m_chunk.size() < kKeptBytes)
            m_chunk += data.left(kKeptBytes - m_chunk.size());
    };
    events.finished = [this](const HttpResult& result) { onFinished(result); };
    QIODevice* reply = client->send(request, this, std::move(events));
    m_reply = reply;
    QMetaObject::invokeMethod(
        this,
        [this, reply] {
            if (m_reply == reply && !m_replyFinished)
                report(ServiceProtocol::kStateResolving);
        },
        Qt::QueuedConnection);
    return true;
}

void TransferControl::report(int state)
{
    emit stateChanged(state);
}

void TransferControl::onFinished(const HttpResult& result)
{
    if (!m_reply)
        return;
    m_replyFinished = true;
    m_status = result.status;
    m_tlsError = result.tlsError;
    m_certificateRefused = result.certificateRefused;
    if (result.transportFailed) {
        report(ServiceProtocol::kStateError);
    } else {
        report(ServiceProtocol::kStateResponseReceived);
        m_handlingLastState = true;
        report(ServiceProtocol::kStateComplete);
        m_handlingLastState = false;
    }
    releaseReply();
    // finished() comes from the event loop, after whatever the state handlers queued (a reply's box).
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_executing = false;
            emit finished();
        },
        Qt::QueuedConnection);
}

QString TransferControl::getChunk(int maxBytes)
{
    const QByteArray part = m_chunk.left(maxBytes);
    m_chunk.remove(0, part.size());
    return TextCodec::fromAnsi(part);
}

void TransferControl::cancel()
{
    m_chunk.clear();
    if (m_handlingLastState || !m_executing)
        return;
    releaseReply();
    m_executing = false;
}

void TransferControl::releaseReply()
{
    if (QIODevice* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        if (HttpClient* client = m_service.client())
            client->abort(reply);
        reply->deleteLater();
    }
}
