#include "StandinService.h"
#include "base/TextCodec.h"
#include "service/ServerAddressFile.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"
#include "service/ServiceRequest.h"
#include "service/TransferControl.h"
#include "support/TestHttpServer.h"

#include <QtNetwork>
#include <QtTest>
#include <httplib.h>
#include <optional>

using namespace ServiceProtocol;
using namespace std::chrono_literals;

namespace {

// One request run to its end: the states seen (-1 last when it did not start or end in time), and the
// reply read at the end, or what the login window makes of it.
struct Run
{
    QList<int> states;
    QString reply;
    std::optional<ReplyOutcome> login;
};

Run run(TransferControl& transfer, const QString& url, const QByteArray& body, bool asLogin = false)
{
    Run result;
    QObject::connect(&transfer, &TransferControl::stateChanged, &transfer, [&](int state) {
        result.states.append(state);
        if (asLogin)
            result.login = ServiceRequest::onStateChanged(transfer, Action::Ulogin, state, [](const QString&) {});
        else if (state == kStateComplete)
            result.reply = transfer.getChunk(kReplyChunkBytes);
    });
    QSignalSpy finished(&transfer, &TransferControl::finished);
    if (!transfer.execute(url, u"POST"_qs, body, contentTypeHeader()) || !finished.wait(20000))
        result.states.append(-1);
    QObject::disconnect(&transfer, &TransferControl::stateChanged, &transfer, nullptr);
    return result;
}

QString address(const TestHttpServer& server)
{
    return requestAddress(u"http://"_qs + server.hostPort());
}

// Logs in over the connection as the login window does.
std::optional<ReplyOutcome> login(ServiceConnection& connection)
{
    TransferControl transfer(connection, 10s);
    return run(transfer, requestAddress(connection.ServerAddr()), TextCodec::toAnsi(loginBody(u"secret"_qs)), true)
        .login;
}

} // namespace

class ServiceTest : public QObject
{
    Q_OBJECT

private slots:
    // Every data field, decoded as any form decoder decodes it (here cpp-httplib's, the stand-in's),
    // is the text that was stored.
    void fieldsArriveAsSent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("delimiters") << u"AT&T C++ 100% a=b #1"_qs;
        QTest::newRow("chinese") << u" 北京 公司 & 简介"_qs;
        QTest::newRow("escapes as text") << u"%41%D6%D0+"_qs;
    }
    void fieldsArriveAsSent()
    {
        QFETCH(QString, text);
        const QString stored = text.trimmed();
        UploadFields upload;
        for (QString& field : upload.contact)
            field = text;
        upload.urlJoined = upload.biaoshiJoined = upload.keywords = stored + u"|*|";
        GenerationFields generation{text, text, text, text, text, text};
        for (const QString& body : {uploadBody(upload), generationBody(generation)}) {
            httplib::Params fields;
            httplib::detail::parse_query_text(TextCodec::toAnsi(body).toStdString(), fields);
            QCOMPARE(fields.size(), body.startsWith(u"action=UWork") ? size_t(5) : size_t(7));
            for (const auto& [name, value] : fields) {
                const QString decoded = TextCodec::fromAnsi(QByteArray::fromStdString(value));
                if (name == "Contact")
                    QCOMPARE(decoded, QStringList(5, stored).join(u"|*|") + u"|*|");
                else if (name == "url" || name == "biaoshi" || name == "Word")
                    QCOMPARE(decoded, stored + u"|*|");
                else if (name != "action")
                    QCOMPARE(decoded, stored);
            }
        }
    }

    void replies_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        const int login = int(Action::Ulogin), password = int(Action::modmima), upload = int(Action::UWork),
                  generate = int(Action::madeweb);
        const QString cut = u"网络中断或服务器超时！"_qs, cutMaterial = u"网络中断或服务器超时！！"_qs;
        QTest::newRow("login 3") << login << u"3"_qs << 200 << true << QString();
        QTest::newRow("login 2") << login << u"2"_qs << 200 << false << u"用户信息错误！"_qs;
        QTest::newRow("login 0") << login << u"0"_qs << 200 << false << u"请不要非法操作！"_qs;
        QTest::newRow("login 1") << login << u"1"_qs << 200 << false << u"服务器错误,重试..."_qs;
        QTest::newRow("login 502 \"3\"") << login << u"3"_qs << 502 << false << cut;
        QTest::newRow("password 2") << password << u"2"_qs << 200 << true << u"成功保存!"_qs;
        QTest::newRow("password 3") << password << u"3"_qs << 200 << false << QString();
        QTest::newRow("upload 2") << upload << u"2"_qs << 200 << true << u"成功保存!"_qs;
        QTest::newRow("upload 500 \"2\"") << upload << u"2"_qs << 500 << false << cutMaterial;
        QTest::newRow("generate 199") << generate << u"2"_qs << 199 << false << cutMaterial;
        QTest::newRow("generate 299") << generate << u"2"_qs << 299 << true << u"成功保存!"_qs;
    }
    void replies()
    {
        QFETCH(int, action);
        QFETCH(QString, reply);
        QFETCH(int, status);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        const ReplyOutcome outcome = classifyReply(Action(action), reply, status);
        QCOMPARE(outcome.accepted, accepted);
        QCOMPARE(outcome.message, message);
    }

    void serverAddressFromFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("address");
        QTest::newRow("slash host") << QByteArray("/example.com\r\n") << u"http://example.com"_qs;
        QTest::newRow("no slash") << QByteArray("example.com") << u"http:/example.com"_qs;
        QTest::newRow("after comma ignored") << QByteArray("  /h:8080/app , other\r\nx") << u"http://h:8080/app"_qs;
        QTest::newRow("quoted") << QByteArray("\" /q.cn \",x") << u"http://q.cn"_qs;
        QTest::newRow("blanks and tabs end the field") << QByteArray("/t.cn \t \t\r\n") << u"http://t.cn"_qs;
        QTest::newRow("blank first field") << QByteArray("   ,/b") << QString();
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe,", 4) << QString();
        QTest::newRow("quoted over two lines") << QByteArray("\"/a.cn\r\nb\",x") << QString();
        QTest::newRow("tab inside") << QByteArray("/a\tb.cn") << QString();
        QTest::newRow("https") << QByteArray("https://s.example.com:8443/app/,x")
                               << u"https://s.example.com:8443/app"_qs;
        QTest::newRow("https without host") << QByteArray("https:///") << QString();
    }
    void serverAddressFromFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, address);
        QCOMPARE(ServerAddressFile::addressFromContent(content), address);
    }

    // What the address dialog takes: the scheme, the host and a port, nothing else.
    void typedAddresses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("problem"); // empty: taken
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("https") << u"https://s.example.com"_qs << QString() << QByteArray("https://s.example.com\r\n");
        QTest::newRow("http and port") << u"http://h.cn:8080/"_qs << QString() << QByteArray("/h.cn:8080\r\n");
        QTest::newRow("the file's form") << u"/h.cn"_qs << QString() << QByteArray("/h.cn\r\n");
        QTest::newRow("empty") << QString() << u"请填写"_qs << QByteArray();
        QTest::newRow("space") << u"http://h .cn"_qs << u"空格"_qs << QByteArray();
        QTest::newRow("other scheme") << u"ftp://h.cn"_qs << u"https://"_qs << QByteArray();
        QTest::newRow("no scheme") << u"h.cn"_qs << u"https://"_qs << QByteArray();
        QTest::newRow("no host") << u"https://:8080"_qs << u"主机"_qs << QByteArray();
        QTest::newRow("port 0") << u"http://h.cn:0"_qs << u"端口"_qs << QByteArray();
        QTest::newRow("port too large") << u"http://h.cn:70000"_qs << u"https://"_qs << QByteArray();
        QTest::newRow("path") << u"http://h.cn/ajax.asp"_qs << u"路径"_qs << QByteArray();
        QTest::newRow("user") << u"http://u:p@h.cn"_qs << u"路径"_qs << QByteArray();
    }
    void typedAddresses()
    {
        QFETCH(QString, typed);
        QFETCH(QString, problem);
        QFETCH(QByteArray, written);
        const QString said = ServerAddressFile::addressProblem(typed);
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
        if (!problem.isEmpty())
            return;
        QTemporaryDir dir;
        QVERIFY(ServerAddressFile::write(dir.filePath(u"new"_qs), typed));
        QFile file(dir.filePath(u"new/server.txt"_qs));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), written);
    }

    // An administrator's address serves every user without one of their own.
    void theProgramFoldersFileWins()
    {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_DIRS", (dir.filePath(u"a"_qs) + u':' + dir.filePath(u"b"_qs)).toLocal8Bit());
        QDir().mkpath(dir.filePath(u"b/quillon"_qs));
        QFile shared(dir.filePath(u"b/quillon/server.txt"_qs));
        QVERIFY(shared.open(QIODevice::WriteOnly));
        shared.close();
        const QString own = dir.filePath(u"home/server.txt"_qs);
        QCOMPARE(ServerAddressFile::locate(dir.filePath(u"home"_qs)), shared.fileName());
        QDir().mkpath(dir.filePath(u"home"_qs));
        QFile(own).open(QIODevice::WriteOnly);
        QCOMPARE(ServerAddressFile::locate(dir.filePath(u"home"_qs)), own);
    }

    void serverAddressFileStates()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"server.txt"_qs);
        QCOMPARE(ServerAddressFile::read(path).status, ServerAddressFile::Status::Missing);
        QFile file(path);
        auto write = [&file](const QByteArray& start, qsizetype padding) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(start);
            file.write(QByteArray(padding, 'x'));
            file.close();
        };
        write({}, 0);
        QCOMPARE(ServerAddressFile::read(path).status, ServerAddressFile::Status::Empty);
        // A huge file is not read whole: only its beginning decides.
        write("/big.example", 8 * 1024 * 1024);
        QCOMPARE(ServerAddressFile::read(path).status, ServerAddressFile::Status::Empty);
        write("/big.example\r\n", 8 * 1024 * 1024);
        QCOMPARE(ServerAddressFile::read(path).address, u"http://big.example"_qs);
    }

    // The transfer: the body goes out, the reply comes back cut to 1024 bytes, an error page is a reply
    // like any other, and whatever cannot be reached ends in state 11.
    void transfers_data()
    {
        QTest::addColumn<QString>("target"); // "server", "closed" or an address
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<int>("lastState");
        QTest::addColumn<QString>("reply");
        QTest::newRow("answered") << u"server"_qs << 200 << TextCodec::toAnsi(u"好") << kStateComplete << u"好"_qs;
        QTest::newRow("long") << u"server"_qs << 200 << QByteArray(5000, 'x') << kStateComplete << QString(1024, u'x');
        QTest::newRow("error page") << u"server"_qs << 500 << QByteArray("<html>Error</html>") << kStateComplete
                                    << u"<html>Error</html>"_qs;
        QTest::newRow("silent") << u"server"_qs << 0 << QByteArray() << kStateError << QString();
        QTest::newRow("closed port") << u"closed"_qs << 0 << QByteArray() << kStateError << QString();
        QTest::newRow("unusable address") << u"http:/ajax.asp"_qs << 0 << QByteArray() << kStateError << QString();
    }
    void transfers()
    {
        QFETCH(QString, target);
        QFETCH(int, status);
        QFETCH(QByteArray, served);
        QFETCH(int, lastState);
        QFETCH(QString, reply);
        TestHttpServer server;
        server.setHandler([status, served](const TestHttpServer::Request&) {
            TestHttpServer::Reply answer{served};
            answer.status = status;
            answer.never = status == 0;
            return answer;
        });
        ServiceConnection service;
        // Only the silent server needs a short limit; the others must finish well within theirs.
        TransferControl transfer(service, target == u"server" && status == 0 ? 300ms : 10s);
        const QString url = target == u"server"   ? address(server)
                            : target == u"closed" ? requestAddress(TestHttpServer::closedUrl())
                                                  : target;
        const Run result = run(transfer, url, TextCodec::toAnsi(u"action=Ulogin&Pass=中"));
        QCOMPARE(result.states.last(), lastState);
        QCOMPARE(result.states.contains(kStateError), lastState == kStateError);
        QCOMPARE(result.reply, reply);
        QVERIFY(!transfer.stillExecuting());
        if (status == 200) {
            const TestHttpServer::Request request = server.requests().value(0);
            QCOMPARE(request.method + ' ' + request.path, QByteArray("POST /ajax.asp"));
            QCOMPARE(request.contentType, QByteArray("application/x-www-form-urlencoded"));
            QCOMPARE(request.body, QByteArray("action=Ulogin&Pass=\xD6\xD0"));
        }
    }

    void oneRequestAtATimeAndTheCookieTravels()
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
        QSignalSpy finished(&login, &TransferControl::finished);
        QVERIFY(login.execute(address(server), u"POST"_qs, "action=Ulogin", contentTypeHeader()));
        QVERIFY(!login.execute(address(server), u"POST"_qs, "second", contentTypeHeader()));
        QVERIFY(finished.wait(10000));
        QCOMPARE(run(other, address(server), "action=UWork").states.last(), kStateComplete);
        QCOMPARE(server.requestCount(), 2);
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
        QVERIFY(transfer.execute(address(server), u"POST"_qs, "a", contentTypeHeader()));
        QTRY_COMPARE(server.requestCount(), 1);
        transfer.cancel();
        QVERIFY(!transfer.stillExecuting());
        // A later request on the same link that has ended is the barrier: nothing of the cancelled one
        // can come after it.
        TestHttpServer answering;
        answering.setReply("2");
        TransferControl later(service, 5s);
        QCOMPARE(run(later, address(answering), "b").states.last(), kStateComplete);
        QCOMPARE(finished.count(), 0);
        for (const auto& args : states)
            QVERIFY(args.at(0).toInt() < kStateError);
    }

    // The login over https to a stand-in with a test certificate: trusted, it goes through; a certificate
    // nobody trusts stops it before the password leaves, with a message that says so; a plain http server
    // at an https address is no secure connection, and no certificate is blamed.
    void httpsTrustsOnlyItsCertificate()
    {
        const QString certs = QFINDTESTDATA("certs");
        QVERIFY(!certs.isEmpty());
        const QDir dir(certs);
        const QSslConfiguration previous = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trust = previous;
        QVERIFY(trust.addCaCertificates(dir.filePath(u"trusted.pem"_qs)));
        QSslConfiguration::setDefaultConfiguration(trust);
        auto restore = qScopeGuard([&previous] { QSslConfiguration::setDefaultConfiguration(previous); });

        for (const QString& name : {u"trusted"_qs, u"other"_qs}) {
            int requests = 0;
            StandinService service(
                "secret", [&requests](const std::string&, size_t) { ++requests; },
                {dir.filePath(name + u".pem").toStdString(), dir.filePath(name + u".key").toStdString()});
            QVERIFY(service.isValid());
            ServiceConnection connection;
            connection.setServerAddr(ServerAddressFile::addressFromContent(
                "https://127.0.0.1:" + QByteArray::number(service.start()) + "/,x"));
            const std::optional<ReplyOutcome> outcome = login(connection);
            QVERIFY(outcome);
            const bool trusted = name == u"trusted";
            QCOMPARE(outcome->accepted, trusted);
            QCOMPARE(requests, trusted ? 1 : 0); // the password never reached the server
            QCOMPARE(outcome->message.contains(u"证书不可信"_qs) && outcome->message.contains(u"127.0.0.1"_qs),
                     !trusted);
        }

        TestHttpServer plain;
        plain.setReply("3");
        ServiceConnection connection;
        connection.setServerAddr(u"https://"_qs + plain.hostPort());
        const std::optional<ReplyOutcome> outcome = login(connection);
        QVERIFY(outcome);
        QVERIFY(!outcome->accepted);
        QVERIFY2(outcome->message.contains(u"无法与 127.0.0.1 建立安全连接"_qs) &&
                     !outcome->message.contains(u"证书"_qs),
                 qPrintable(outcome->message));
        QCOMPARE(plain.requestCount(), 0);
    }

    // Over TLS as over HTTP, a client that starts a connection and says nothing is let go at the limit.
    void theTlsStandinHasTheTimeLimit()
    {
        const QDir dir(QFINDTESTDATA("certs"));
        StandinService service(
            "secret", {},
            {dir.filePath(u"trusted.pem"_qs).toStdString(), dir.filePath(u"trusted.key"_qs).toStdString()});
        QVERIFY(service.isValid());
        service.setRequestTimeLimit(300ms);
        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, quint16(service.start()));
        QElapsedTimer held;
        held.start();
        QVERIFY(silent.waitForConnected(5000) && silent.waitForDisconnected(5000));
        QVERIFY2(held.elapsed() < 2000, qPrintable(QString::number(held.elapsed())));
    }

    // A body over the limit gets the service's "server error" code however it is sent: with its length,
    // in chunks, or compressed to a few kilobytes.
    void theStandinRefusesALargeBodyAlike_data()
    {
        QTest::addColumn<QString>("sent");
        for (const char* how : {"with its length", "chunked", "compressed"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void theStandinRefusesALargeBodyAlike()
    {
        QFETCH(QString, sent);
        StandinService service("secret", {});
        httplib::Client client("127.0.0.1", service.start());
        const std::string body(StandinService::kMaxBodyBytes + 1024, 'a');
        client.set_compress(sent == u"compressed");
        const httplib::Result result =
            sent == u"chunked"
                ? client.Post(
                      "/ajax.asp",
                      [&body](size_t offset, httplib::DataSink& sink) {
                          sink.write(body.data() + offset, std::min<size_t>(65536, body.size() - offset));
                          if (offset + 65536 >= body.size())
                              sink.done();
                          return true;
                      },
                      "application/x-www-form-urlencoded")
                : client.Post("/ajax.asp", body, "application/x-www-form-urlencoded");
        QVERIFY(result);
        QCOMPARE(result->status, 200);
        QCOMPARE(result->body, std::string("1"));
    }

    void standinAnswersLikeTheService()
    {
        QStringList log;
        StandinService service("secret", [&](const std::string& action, size_t length) {
            log.append(QString::fromStdString(action) + u' ' + QString::number(length));
        });
        std::string cookie;
        QCOMPARE(service.answer("action=UWork&Contact=", "", nullptr), std::string("0"));
        QCOMPARE(service.answer("action=Ulogin&Pass=wrong", "", &cookie), std::string("2"));
        QVERIFY(cookie.empty());
        QCOMPARE(service.answer("action=Ulogin&Pass=secret", "", &cookie), std::string("3"));
        const std::string session = cookie.substr(0, cookie.find(';'));
        QCOMPARE(service.answer("action=UWork&Contact=x&url=", session, nullptr), std::string("2"));
        QCOMPARE(service.lastUpload(), std::string("action=UWork&Contact=x&url="));
        QCOMPARE(service.answer("action=madeweb&Biaoshi=b", "a=b; " + session, nullptr), std::string("2"));
        QCOMPARE(service.answer("action=modmima&mima=n&w", session, nullptr), std::string("2"));
        QCOMPARE(service.password(), std::string("n&w"));
        QCOMPARE(service.answer("garbage", session, nullptr), std::string("0"));
        // Passwords never reach the log: each request is logged by its action and length.
        QCOMPARE(log.size(), 7);
        QCOMPARE(log[2], u"Ulogin 25"_qs);
        QCOMPARE(log[5], u"modmima 23"_qs);
    }
};

QTEST_GUILESS_MAIN(ServiceTest)
#include "tst_service.moc"
