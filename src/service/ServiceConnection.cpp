#include "service/ServiceConnection.h"

#include <QNetworkAccessManager>

ServiceConnection::ServiceConnection(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}
