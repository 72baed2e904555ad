#pragma once

#include "service/ServiceConnection.h"
#include "service/TransferControl.h"
#include "support/MessageRecorder.h"
#include "support/TestFolder.h"
#include "support/TestHttpServer.h"

#include <QtTest>
#include <QtWidgets>

// What a window that talks to the service needs in a test: its folder, the message recorder, a loopback
// server and the connection to it.
struct ServiceFixture
{
    TestFolder folder;
    MessageRecorder messages;
    TestHttpServer server;
    ServiceConnection service;

    ServiceFixture() { service.setServerAddr(u"http://"_qs + server.hostPort()); }
    QByteArray lastBody() const
    {
        const QList<TestHttpServer::Request> requests = server.requests();
        return requests.isEmpty() ? QByteArray() : requests.last().body;
    }
};

// Clicks and waits for the transfer the click starts to end; whether it ended.
inline bool clickAndWait(QAbstractButton* button, TransferControl* transfer)
{
    QSignalSpy finished(transfer, &TransferControl::finished);
    button->click();
    return finished.wait(10000);
}
