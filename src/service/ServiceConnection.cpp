#include "service/ServiceConnection.h"

#include <QNetworkAccessManager>

ServiceConnection::ServiceConnection(QObject* parent) : QObject(parent) {}

QNetworkAccessManager& ServiceConnection::network()
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return *m_network;
}
