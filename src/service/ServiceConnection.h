#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;

// The link to the site-building service, made once at start-up and handed to every window that talks
// to the service. One network manager, so the cookie the service sets at login travels with every
// later request, whichever window sends it.
class ServiceConnection : public QObject
{
    Q_OBJECT

public:
    explicit ServiceConnection(QObject* parent = nullptr);

    // Made on the first request: start-up does not wait for it.
    QNetworkAccessManager& network();
    // Base address of the service, "http:/" plus the first field of server.txt; empty until read.
    const QString& ServerAddr() const { return m_serverAddr; }
    void setServerAddr(const QString& address) { m_serverAddr = address; }

private:
    QNetworkAccessManager* m_network = nullptr;
    QString m_serverAddr;
};
