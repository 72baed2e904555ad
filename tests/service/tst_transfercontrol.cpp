#include "base/TextCodec.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"
#include "service/TransferControl.h"
#include "support/TestHttpServer.h"

#include <QSignalSpy>
#include <QtTest>

using namespace std::chrono_literals;

class TransferControlTest : public QObject
{
    Q_OBJECT

    static QString address(const TestHttpServer& server)
    {
        return ServiceProtocol::requestAddress(u"http:/"_qs + u"/"_qs + server.hostPort());
    }

    // Runs one request to its end; returns the states seen and the reply read at state 12. A request that
    // does not start or does not end in time gives the state -1 last, which no check expects.
    static QList<int> run(TransferControl& transfer, const QString& url, const QByteArray& body, QString* reply)
    {
        QList<int> states;
        auto connection = QObject::connect(&transfer, &TransferControl::stateChanged, [&](int state) {
            states.append(state);
            if (state == ServiceProtocol::kStateComplete && reply)
                *reply = transfer.getChunk(ServiceProtocol::kReplyChunkBytes);
        });
        QSignalSpy finished(&transfer, &TransferControl::finished);
        if (!transfer.execute(url, u"POST"_qs, body, ServiceProtocol::contentTypeHeader()))
            return {-1};
        const bool ended = finished.wait(20000);
        QObject::disconnect(connection);
        if (!ended)
            states.append(-1);
        return states;
    }

private slots:
    void postsTheBodyAndReadsTheReply()
    {
        TestHttpServer server;
        server.setReply(TextCodec::toAnsi(u"好"));
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        QString reply;
        const QList<int> states = run(transfer, address(server), TextCodec::toAnsi(u"action=Ulogin&Pass=中"), &reply);
        QCOMPARE(states.last(), ServiceProtocol::kStateComplete);
        QVERIFY(!states.contains(ServiceProtocol::kStateError));
        QCOMPARE(reply, u"好"_qs);
        QVERIFY(!transfer.stillExecuting());
        const auto requests = server.requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].method, QByteArray("POST"));
        QCOMPARE(requests[0].path, QByteArray("/ajax.asp"));
        QCOMPARE(requests[0].contentType, QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(requests[0].body, QByteArray("action=Ulogin&Pass=\xD6\xD0"));
    }

    void longRepliesAreCutAt1024Bytes()
    {
        TestHttpServer server;
        server.setReply(QByteArray(5000, 'x'));
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        QString reply;
        run(transfer, address(server), "a", &reply);
        QCOMPARE(reply.size(), 1024);
    }

    void httpErrorPagesAreReplies()
    {
        TestHttpServer server;
        server.setHandler([](const TestHttpServer::Request&) {
            TestHttpServer::Reply reply{"<html>Internal error</html>"};
            reply.status = 500;
            return reply;
        });
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        QString reply;
        const QList<int> states = run(transfer, address(server), "a", &reply);
        QCOMPARE(states.last(), ServiceProtocol::kStateComplete);
        QCOMPARE(reply, u"<html>Internal error</html>"_qs);
    }

    void aClosedPortEndsInStateEleven()
    {
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        const QString url = u"http://127.0.0.1:%1/ajax.asp"_qs.arg(TestHttpServer::closedPort());
        const QList<int> states = run(transfer, url, "a", nullptr);
        QCOMPARE(states.last(), ServiceProtocol::kStateError);
        QVERIFY(!states.contains(ServiceProtocol::kStateComplete));
        QVERIFY(!transfer.stillExecuting());
    }

    void anUnusableAddressEndsInStateEleven()
    {
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        const QList<int> states = run(transfer, u"http:/ajax.asp"_qs, "a", nullptr);
        QCOMPARE(states, QList<int>{ServiceProtocol::kStateError});
    }

    void aSilentServerTimesOut()
    {
        TestHttpServer server;
        server.setSilent();
        ServiceConnection service;
        TransferControl transfer(service, 300ms);
        const QList<int> states = run(transfer, address(server), "a", nullptr);
        QCOMPARE(states.last(), ServiceProtocol::kStateError);
    }

    void aSecondRequestIsRefusedWhileOneRuns()
    {
        TestHttpServer server;
        server.setReply("2");
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        QSignalSpy finished(&transfer, &TransferControl::finished);
        QVERIFY(transfer.execute(address(server), u"POST"_qs, "first", ServiceProtocol::contentTypeHeader()));
        QVERIFY(transfer.stillExecuting());
        QVERIFY(!transfer.execute(address(server), u"POST"_qs, "second", ServiceProtocol::contentTypeHeader()));
        QVERIFY(finished.wait(10000));
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(server.requests()[0].body, QByteArray("first"));
    }

    void theLoginCookieTravelsWithLaterRequests()
    {
        TestHttpServer server;
        server.setHandler([](const TestHttpServer::Request& request) {
            TestHttpServer::Reply reply{"3"};
            if (request.body.startsWith("action=Ulogin"))
                reply.setCookie = "SESSION=abc; Path=/";
            return reply;
        });
        ServiceConnection service;
        TransferControl login(service, 5s);
        TransferControl other(service, 5s); // a different window's transfer
        QCOMPARE(run(login, address(server), "action=Ulogin&Pass=x", nullptr).last(), ServiceProtocol::kStateComplete);
        QCOMPARE(run(other, address(server), "action=UWork", nullptr).last(), ServiceProtocol::kStateComplete);
        QCOMPARE(server.requests().size(), 2);
        QCOMPARE(server.requests().at(1).cookie, QByteArray("SESSION=abc"));
    }

    void cancelEndsATransferSilently()
    {
        TestHttpServer server;
        server.setSilent();
        ServiceConnection service;
        TransferControl transfer(service, 5s);
        QSignalSpy states(&transfer, &TransferControl::stateChanged);
        QSignalSpy finished(&transfer, &TransferControl::finished);
        QVERIFY(transfer.execute(address(server), u"POST"_qs, "a", ServiceProtocol::contentTypeHeader()));
        QTRY_VERIFY(server.requestCount() == 1);
        transfer.cancel();
        QVERIFY(!transfer.stillExecuting());
        // A later request on the same link that has ended is the barrier: nothing of the cancelled one
        // can come after it.
        TestHttpServer answering;
        answering.setReply("2");
        TransferControl later(service, 5s);
        QCOMPARE(run(later, address(answering), "b", nullptr).last(), ServiceProtocol::kStateComplete);
        QCOMPARE(finished.count(), 0);
        for (const auto& args : states)
            QVERIFY(args.at(0).toInt() < ServiceProtocol::kStateError);
    }
};

QTEST_GUILESS_MAIN(TransferControlTest)
#include "tst_transfercontrol.moc"
