#include "service/TransferControl.h"

#include "base/TextCodec.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

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
    m_sawHeaders = false;
    m_executing = true;
    if (!address.isValid() || address.host().isEmpty()) {
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

    QNetworkRequest request(address);
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    const qsizetype colon = headerLine.indexOf(u':');
    if (colon > 0)
        request.setRawHeader(headerLine.left(colon).trimmed().toLatin1(),
                             headerLine.mid(colon + 1).trimmed().toLatin1());

    QNetworkReply* reply = m_service.network().sendCustomRequest(request, method.toLatin1(), body);
    m_reply = reply;
    connect(reply, &QNetworkReply::socketStartedConnecting, this,
            [this] { report(ServiceProtocol::kStateConnecting); });
    connect(reply, &QNetworkReply::requestSent, this, [this] { report(ServiceProtocol::kStateRequestSent); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        if (!m_sawHeaders) {
            m_sawHeaders = true;
            report(ServiceProtocol::kStateReceiving);
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, &TransferControl::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &TransferControl::onFinished);
    QMetaObject::invokeMethod(
        this,
        [this, reply] {
            if (m_reply == reply && !reply->isFinished())
                report(ServiceProtocol::kStateResolving);
        },
        Qt::QueuedConnection);
    return true;
}

void TransferControl::report(int state)
{
    emit stateChanged(state);
}

void TransferControl::onReadyRead()
{
    if (!m_reply)
        return;
    const QByteArray data = m_reply->readAll();
    if (m_chunk.size() < kKeptBytes)
        m_chunk += data.left(kKeptBytes - m_chunk.size());
}

void TransferControl::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    onReadyRead();
    const QNetworkReply::NetworkError error = reply->error();
    const bool httpAnswered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    // Errors below 200 are transport failures (refused, time-out, lost connection); the others are
    // HTTP answers whose body is the reply like any other.
    const bool transportFailed = error != QNetworkReply::NoError && (error < 200 || !httpAnswered);

    if (transportFailed) {
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
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}
