#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>

class QIODevice;
struct HttpResult;
class ServiceConnection;

// One asynchronous form POST at a time, reported as the numbered transfer states of the service link
// (1 looking up the host ... 11 error, 12 reply complete). A window owns one and reacts to
// stateChanged, which it must not block: a message box waits for the event loop. finished() follows
// from the event loop once the last state has been handled.
class TransferControl : public QObject
{
    Q_OBJECT

public:
    TransferControl(ServiceConnection& service, std::chrono::milliseconds timeout, QObject* parent = nullptr);
    ~TransferControl() override;

    // Starts the request; false (and nothing disturbed) while another one is still executing.
    bool execute(const QString& url, const QString& method, const QByteArray& body, const QString& headerLine);
    bool stillExecuting() const { return m_executing; }
    ServiceConnection& service() const { return m_service; }
    // The first part of the reply, at most maxBytes bytes, decoded from the ANSI code page.
    QString getChunk(int maxBytes);
    // The HTTP status of the last reply (0 when none came).
    int httpStatus() const { return m_status; }
    // Why the last request could not reach the service securely (a certificate refused), else empty.
    const QString& tlsError() const { return m_tlsError; }
    bool certificateRefused() const { return m_certificateRefused; }
    const QString& host() const { return m_host; }
    // Ends the transfer. During the handling of the last state it only releases the reply.
    void cancel();

signals:
    void stateChanged(int state);
    void finished();

private:
    void report(int state);
    void onFinished(const HttpResult& result);
    void releaseReply();

    ServiceConnection& m_service;
    std::chrono::milliseconds m_timeout;
    QPointer<QIODevice> m_reply;
    QByteArray m_chunk;
    int m_status = 0;
    QString m_tlsError;
    bool m_certificateRefused = false;
    QString m_host;
    bool m_executing = false;
    bool m_handlingLastState = false;
    bool m_replyFinished = false;
};
