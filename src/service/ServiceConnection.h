#pragma once

#include <QObject>
#include <QString>
#include <memory>

class HttpClient;

// The link to the site-building service, made once at start-up and handed to every window that talks
// to the service. One HTTP client, so the cookie the service sets at login travels with every later
// request, whichever window sends it.
class ServiceConnection : public QObject
{
    Q_OBJECT

public:
    explicit ServiceConnection(QObject* parent = nullptr);
    ~ServiceConnection() override;

    // Made on the first request: start-up does not wait for the network stack. Null, with error set,
    // when it cannot be loaded.
    HttpClient* client(QString* error = nullptr);
    // Base address of the service, "http:/" plus the first field of server.txt; empty until read.
    const QString& ServerAddr() const { return m_serverAddr; }
    void setServerAddr(const QString& address) { m_serverAddr = address; }

private:
    std::unique_ptr<HttpClient> m_client;
    QString m_serverAddr;
};
