#include "service/ServiceConnection.h"

#include "base/HttpClient.h"

ServiceConnection::ServiceConnection(QObject* parent) : QObject(parent) {}

ServiceConnection::~ServiceConnection() = default;

HttpClient* ServiceConnection::client(QString* error)
{
    if (!m_client)
        m_client = HttpClient::create(error);
    return m_client.get();
}
