#include "StandinService.h"
#include "base/TextCodec.h"
#include "service/ServerAddressFile.h"
#include "service/ServiceConnection.h"
#include "service/ServiceProtocol.h"
#include "service/ServiceRequest.h"
#include "service/TransferControl.h"
#include "support/TestHttpServer.h"

#include <QHostAddress>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <httplib.h>
#include <optional>

using namespace ServiceProtocol;

class ServiceProtocolTest : public QObject
{
    Q_OBJECT

    // Logs in over the connection as the login window does; what the window would show, if the login ended.
    static std::optional<ReplyOutcome> login(ServiceConnection& connection)
    {
        TransferControl transfer(connection, std::chrono::seconds(10));
        std::optional<ReplyOutcome> outcome;
        QObject::connect(&transfer, &TransferControl::stateChanged, [&](int state) {
            if (auto result = ServiceRequest::onStateChanged(transfer, Action::Ulogin, state, [](const QString&) {}))
                outcome = result;
        });
        QSignalSpy finished(&transfer, &TransferControl::finished);
        if (!ServiceRequest::post(transfer, loginBody(u"secret"_qs)) || !finished.wait(20000))
            return std::nullopt;
        return outcome;
    }

private slots:
    void passwordFieldsGoOutAsTheyAre()
    {
        QCOMPARE(loginBody(u"  p=w#d  "_qs), u"action=Ulogin&Pass=p=w#d"_qs);
        QCOMPARE(loginBody(u"  "_qs), u"action=Ulogin&Pass="_qs);
        QCOMPARE(passwordChangeBody(u" 新 密码 "_qs), u"action=modmima&mima=新 密码"_qs);
        for (const QString& refused : {u"a&b"_qs, u"100%"_qs, u"a+b"_qs})
            QVERIFY(!newPasswordProblem(refused).isEmpty());
        QVERIFY(newPasswordProblem(u"a=b#c 新"_qs).isEmpty());
    }

    // Every data field, decoded as any form decoder decodes it (here cpp-httplib's, the stand-in's),
    // is the text that was stored.
    void fieldsArriveAsSent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("delimiters") << u"AT&T C++ 100% a=b #1"_qs;
        QTest::newRow("chinese") << u"北京 公司 & 简介"_qs;
        QTest::newRow("escapes as text") << u"%41%D6%D0+"_qs;
        QTest::newRow("plain") << u"abc"_qs;
    }
    void fieldsArriveAsSent()
    {
        QFETCH(QString, text);
        UploadFields upload;
        for (QString& field : upload.contact)
            field = text;
        upload.urlJoined = text + u"|*|";
        upload.biaoshiJoined = text + u"|*|";
        upload.keywords = text + u"|*|";
        GenerationFields generation{text, text, text, text, text, text};
        for (const QString& body : {uploadBody(upload), generationBody(generation)}) {
            httplib::Params fields;
            httplib::detail::parse_query_text(TextCodec::toAnsi(body).toStdString(), fields);
            QCOMPARE(fields.size(), body.startsWith(u"action=UWork") ? size_t(5) : size_t(7));
            for (const auto& [name, value] : fields) {
                const QString decoded = TextCodec::fromAnsi(QByteArray::fromStdString(value));
                if (name == "action")
                    continue;
                if (name == "Contact")
                    QCOMPARE(decoded, QStringList(5, text).join(u"|*|") + u"|*|");
                else if (name == "url" || name == "biaoshi" || name == "Word")
                    QCOMPARE(decoded, text + u"|*|");
                else
                    QCOMPARE(decoded, text);
            }
        }
    }

    void anErrorStatusIsAnErrorPage_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("upload 500 \"2\"") << int(Action::UWork) << u"2"_qs << 500 << u"网络中断或服务器超时！！"_qs;
        QTest::newRow("login 502 \"3\"") << int(Action::Ulogin) << u"3"_qs << 502 << u"网络中断或服务器超时！"_qs;
        QTest::newRow("generate 302 \"\"")
            << int(Action::madeweb) << QString() << 302 << u"网络中断或服务器超时！！"_qs;
        QTest::newRow("login 200 \"3\"") << int(Action::Ulogin) << u"3"_qs << 200 << QString();
    }
    void anErrorStatusIsAnErrorPage()
    {
        QFETCH(int, action);
        QFETCH(QString, reply);
        QFETCH(int, status);
        QFETCH(QString, message);
        const ReplyOutcome outcome = classifyReply(Action(action), reply, status);
        QCOMPARE(outcome.accepted, status == 200);
        QCOMPARE(outcome.message, message);
    }

    void replyTable_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        const int login = int(Action::Ulogin), password = int(Action::modmima), upload = int(Action::UWork),
                  generate = int(Action::madeweb);
        QTest::newRow("login 3") << login << u"3"_qs << true << QString();
        QTest::newRow("login 2") << login << u"2"_qs << false << u"用户信息错误！"_qs;
        QTest::newRow("login 0") << login << u"0"_qs << false << u"请不要非法操作！"_qs;
        QTest::newRow("login 1") << login << u"1"_qs << false << u"服务器错误,重试..."_qs;
        QTest::newRow("login empty") << login << QString() << false << QString();
        QTest::newRow("login short") << login << u"3\n"_qs << false << QString();
        QTest::newRow("login space") << login << u" 3"_qs << false << QString();
        QTest::newRow("login long") << login << u"abc"_qs << false << u"网络中断或服务器超时！"_qs;
        QTest::newRow("password 2") << password << u"2"_qs << true << u"成功保存!"_qs;
        QTest::newRow("password 3") << password << u"3"_qs << false << QString();
        QTest::newRow("password long") << password << u"<html>"_qs << false << u"网络中断或服务器超时！"_qs;
        QTest::newRow("upload 2") << upload << u"2"_qs << true << u"成功保存!"_qs;
        QTest::newRow("upload 3") << upload << u"3"_qs << false << QString();
        QTest::newRow("upload long") << upload << u"2\r\n"_qs << false << u"网络中断或服务器超时！！"_qs;
        QTest::newRow("generate 0") << generate << u"0"_qs << false << u"请不要非法操作！"_qs;
        QTest::newRow("generate long") << generate << u"500 error"_qs << false << u"网络中断或服务器超时！！"_qs;
    }
    void replyTable()
    {
        QFETCH(int, action);
        QFETCH(QString, reply);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        const ReplyOutcome outcome = classifyReply(Action(action), reply);
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
        QTest::newRow("second line ignored") << QByteArray("/a\n/b") << u"http://a"_qs;
        QTest::newRow("blank first field") << QByteArray("   ,/b") << QString();
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe,", 4) << QString();
        QTest::newRow("quoted over two lines") << QByteArray("\"/a.cn\r\nb\",x") << QString();
        QTest::newRow("tab inside") << QByteArray("/a\tb.cn") << QString();
        QTest::newRow("https") << QByteArray("https://sites.example.com:8443/app/,x")
                               << u"https://sites.example.com:8443/app"_qs;
        QTest::newRow("HTTPS") << QByteArray("HTTPS://s.cn") << u"HTTPS://s.cn"_qs;
        QTest::newRow("https without host") << QByteArray("https:///") << QString();
    }
    void serverAddressFromFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, address);
        QCOMPARE(ServerAddressFile::addressFromContent(content), address);
    }

    void serverAddressFileStates()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"server.txt"_qs);
        QCOMPARE(ServerAddressFile::read(path).status, ServerAddressFile::Status::Missing);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(ServerAddressFile::read(path).status, ServerAddressFile::Status::Empty);
        // A huge file is not read whole: only its beginning decides.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("/big.example");
        file.write(QByteArray(8 * 1024 * 1024, 'x'));
        file.close();
        const ServerAddressFile big = ServerAddressFile::read(path);
        QCOMPARE(big.status, ServerAddressFile::Status::Empty); // the first field never ends within the limit
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("/big.example\r\n");
        file.write(QByteArray(8 * 1024 * 1024, 'x'));
        file.close();
        QCOMPARE(ServerAddressFile::read(path).address, u"http://big.example"_qs);
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
        QCOMPARE(service.answer("", "", nullptr), std::string("0"));
        QCOMPARE(log.size(), 8);
        // Passwords never reach the log: each request is logged by its action and length.
        QCOMPARE(log[2], u"Ulogin 25"_qs);
        QCOMPARE(log[5], u"modmima 23"_qs);
    }

    void standinHoldsUpUnderHostileClients()
    {
        StandinService service("secret");
        service.setRequestTimeLimit(std::chrono::milliseconds(1500));
        const int port = service.start();
        QVERIFY(port > 0);
        auto connect = [port] {
            auto socket = std::make_unique<QTcpSocket>();
            socket->connectToHost(QHostAddress::LocalHost, quint16(port));
            socket->waitForConnected(2000);
            return socket;
        };
        auto request = [](const QByteArray& body) -> QByteArray {
            return "POST /ajax.asp HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                   "Content-Length: " +
                   QByteArray::number(body.size()) + "\r\n\r\n" + body;
        };

        // Sixteen clients that started a request and went quiet do not keep a seventeenth waiting.
        std::vector<std::unique_ptr<QTcpSocket>> quiet;
        for (int i = 0; i < 16; ++i) {
            quiet.push_back(connect());
            quiet.back()->write("P");
            quiet.back()->flush();
        }
        auto normal = connect();
        normal->write(request("action=UWork"));
        QVERIFY(normal->waitForBytesWritten(10000));
        QVERIFY(normal->waitForReadyRead(10000));
        QVERIFY(normal->readAll().startsWith("HTTP/1.1 200"));

        // A client trickling its request in a byte at a time is cut off at the time limit: long before the
        // last byte, which at one byte per 200 ms would take half a minute.
        auto trickle = connect();
        const QByteArray slow = request("action=Ulogin&Pass=secret");
        qsizetype sent = 0;
        for (; sent < slow.size() && trickle->state() == QAbstractSocket::ConnectedState; ++sent) {
            trickle->write(slow.mid(sent, 1));
            trickle->flush();
            trickle->waitForDisconnected(200);
        }
        QCOMPARE(trickle->state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(sent < slow.size() / 2, qPrintable(QString::number(sent)));

        // A body beyond a realistic upload gets "server error", and is never kept; every answer names the
        // stand-in.
        auto big = connect();
        big->write(request(QByteArray(StandinService::kMaxBodyBytes + 1, 'x')));
        QVERIFY(big->waitForReadyRead(5000));
        QTRY_VERIFY(big->bytesAvailable() > 0 && big->peek(4096).contains("\r\n\r\n1"));
        const QByteArray bigAnswer = big->readAll();
        QVERIFY2(bigAnswer.startsWith("HTTP/1.1 200") && bigAnswer.contains("Server: quillon-standin\r\n"),
                 bigAnswer.constData());
        // One that announces 400 MB and sends nothing is dropped at the time limit.
        auto huge = connect();
        huge->write("POST /ajax.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 400000000\r\n\r\n");
        QVERIFY(huge->waitForBytesWritten(1000));
        QVERIFY(huge->waitForDisconnected(3000));
    }

    // The login over https to a stand-in with a certificate the test made: trusted, it goes through; a
    // certificate nobody trusts stops it before the password leaves, with a message that says so.
    void httpsTrustsOnlyItsCertificate_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::newRow("trusted certificate") << true;
        QTest::newRow("unknown certificate") << false;
    }
    void httpsTrustsOnlyItsCertificate()
    {
        QFETCH(bool, trusted);
        QTemporaryDir dir;
        auto makeCertificate = [&dir](const QString& name) {
            QProcess openssl;
            openssl.start(u"openssl"_qs,
                          {u"req"_qs, u"-x509"_qs, u"-newkey"_qs, u"rsa:2048"_qs, u"-nodes"_qs, u"-days"_qs, u"2"_qs,
                           u"-subj"_qs, u"/CN=127.0.0.1"_qs, u"-addext"_qs, u"subjectAltName=IP:127.0.0.1"_qs,
                           u"-keyout"_qs, dir.filePath(name + u".key"), u"-out"_qs, dir.filePath(name + u".pem")});
            return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
        };
        QVERIFY(makeCertificate(u"trusted"_qs));
        QVERIFY(makeCertificate(u"other"_qs));
        // The client trusts the first certificate only.
        const QSslConfiguration previous = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trust = previous;
        QVERIFY(trust.addCaCertificates(dir.filePath(u"trusted.pem"_qs)));
        QSslConfiguration::setDefaultConfiguration(trust);
        auto restore = qScopeGuard([&previous] { QSslConfiguration::setDefaultConfiguration(previous); });

        const QString name = trusted ? u"trusted"_qs : u"other"_qs;
        int requests = 0;
        StandinService service(
            "secret", [&requests](const std::string&, size_t) { ++requests; },
            {dir.filePath(name + u".pem").toStdString(), dir.filePath(name + u".key").toStdString()});
        QVERIFY(service.isValid());
        const int port = service.start();
        const QByteArray file = "https://127.0.0.1:" + QByteArray::number(port) + "/,x";
        ServiceConnection connection;
        connection.setServerAddr(ServerAddressFile::addressFromContent(file));
        const std::optional<ReplyOutcome> outcome = login(connection);
        QVERIFY(outcome);
        QCOMPARE(outcome->accepted, trusted);
        QCOMPARE(requests, trusted ? 1 : 0); // the password never reached the server
        if (!trusted) {
            QVERIFY2(outcome->message.contains(u"证书不可信"_qs) && outcome->message.contains(u"127.0.0.1"_qs),
                     qPrintable(outcome->message));
        }
    }

    // https to a server that speaks plain http: no secure connection, and no blame on a certificate.
    void httpsToAPlainServer()
    {
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

    void standinSlowsDownGuessing()
    {
        StandinService service("secret");
        for (int i = 0; i < StandinService::kWrongPasswordsPerMinute; ++i)
            QCOMPARE(service.answer("action=Ulogin&Pass=guess", "", nullptr), std::string("2"));
        std::string cookie;
        QCOMPARE(service.answer("action=Ulogin&Pass=secret", "", &cookie), std::string("1"));
        QVERIFY(cookie.empty());
    }

    void standinWantsAPassword_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("starts");
        QTest::newRow("none") << QStringList{} << QByteArray() << QByteArray() << false;
        QTest::newRow("argument") << QStringList{u"--password"_qs, u"p"_qs} << QByteArray() << QByteArray() << true;
        QTest::newRow("environment") << QStringList{} << QByteArray("p") << QByteArray() << true;
        QTest::newRow("standard input") << QStringList{} << QByteArray() << QByteArray("p\n") << true;
        QTest::newRow("half a certificate")
            << QStringList{u"--tls-cert"_qs, u"c.pem"_qs} << QByteArray("p") << QByteArray() << false;
    }
    void standinWantsAPassword()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, environment);
        QFETCH(QByteArray, input);
        QFETCH(bool, starts);
        QProcess standin;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.remove(u"QUILLON_STANDIN_PASSWORD"_qs);
        if (!environment.isEmpty())
            variables.insert(u"QUILLON_STANDIN_PASSWORD"_qs, QString::fromLatin1(environment));
        standin.setProcessEnvironment(variables);
        standin.start(QCoreApplication::applicationDirPath() + u"/quillon-standin"_qs, arguments);
        QVERIFY(standin.waitForStarted());
        standin.write(input);
        standin.closeWriteChannel();
        if (!starts) {
            QVERIFY(standin.waitForFinished(10000));
            QCOMPARE(standin.exitCode(), 2);
            return;
        }
        QTRY_VERIFY(standin.canReadLine());
        QVERIFY(standin.readLine().startsWith("PORT "));
        standin.terminate();
        QVERIFY(standin.waitForFinished(10000));
    }

    void standinForgetsTheOldestSessions()
    {
        StandinService service("secret");
        std::string first;
        std::string last;
        for (size_t i = 0; i < StandinService::kMaxSessions + 100; ++i) {
            std::string cookie;
            QCOMPARE(service.answer("action=Ulogin&Pass=secret", "", &cookie), std::string("3"));
            (i == 0 ? first : last) = cookie.substr(0, cookie.find(';'));
        }
        QCOMPARE(service.sessionCount(), StandinService::kMaxSessions);
        QCOMPARE(service.answer("action=UWork", first, nullptr), std::string("0"));
        QCOMPARE(service.answer("action=UWork", last, nullptr), std::string("2"));
    }
};

QTEST_GUILESS_MAIN(ServiceProtocolTest)
#include "tst_serviceprotocol.moc"
