#include "ServiceNetwork.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QPointer>

namespace ServiceNetwork {

QNetworkAccessManager& manager()
{
    static QPointer<QNetworkAccessManager> instance;
    if (!instance) {
        // Owned by the application object, so it goes before Qt's own teardown.
        instance = new QNetworkAccessManager(QCoreApplication::instance());
        instance->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return *instance;
}

} // namespace ServiceNetwork
