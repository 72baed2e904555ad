#include "StandinService.h"
#include "service/ServerAddressFile.h"
#include "service/ServiceProtocol.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QtTest>

using namespace ServiceProtocol;

class ServiceProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void bodiesAreSentUnescapedExceptContact()
    {
        QCOMPARE(loginBody(u"  p&w=%d  "_qs), u"action=Ulogin&Pass=p&w=%d"_qs);
        QCOMPARE(loginBody(u"  "_qs), u"action=Ulogin&Pass="_qs);
        QCOMPARE(passwordChangeBody(u" 新 密码 "_qs), u"action=modmima&mima=新 密码"_qs);

        UploadFields upload;
        const QString contact[5] = {u" 北京 公司 "_qs, u"路1号"_qs, u"010"_qs, u"12345"_qs, u"a&b"_qs};
        std::copy(std::begin(contact), std::end(contact), upload.contact);
        upload.urlJoined = u"a.com|*|b.com|*|"_qs;
        upload.biaoshiJoined = u" x y|*|z|*| "_qs;
        upload.keywords = u"关键 词|*|"_qs;
        QCOMPARE(uploadBody(upload),
                 u"action=UWork&Contact=%B1%B1%BE%A9%20%B9%AB%CB%BE|*|%C2%B71%BA%C5|*|010|*|12345|*|a&b|*|"
                 u"&url=a.com|*|b.com|*|&biaoshi=x y|*|z|*|&Word=关键 词|*|"_qs);

        UploadFields empty;
        QCOMPARE(uploadBody(empty), u"action=UWork&Contact=|*||*||*||*||*|&url=&biaoshi=&Word="_qs);

        GenerationFields generation{u" B "_qs, u" 3 "_qs, u"2"_qs, u" 0"_qs, u"3 "_qs, u" 公司 & 简介 "_qs};
        QCOMPARE(generationBody(generation),
                 u"action=madeweb&Biaoshi=B&shuliang=3&Ltitle=2&Lbody=0&Lhang=3&Ljj=公司 & 简介"_qs);
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
        QVERIFY(normal->waitForBytesWritten(1000));
        QVERIFY(normal->waitForReadyRead(1000));
        QVERIFY(normal->readAll().startsWith("HTTP/1.1 200"));

        // A client trickling its request in a byte at a time is cut off at the time limit.
        auto trickle = connect();
        const QByteArray slow = request("action=Ulogin&Pass=secret");
        QElapsedTimer clock;
        clock.start();
        for (int i = 0;
             i < slow.size() && trickle->state() == QAbstractSocket::ConnectedState && clock.elapsed() < 5000; ++i) {
            trickle->write(slow.mid(i, 1));
            trickle->flush();
            trickle->waitForDisconnected(200);
        }
        QCOMPARE(trickle->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(clock.elapsed() < 4000);

        // A body beyond what the protocol ever sends is refused, and never kept.
        auto big = connect();
        big->write(request(QByteArray(StandinService::kMaxBodyBytes + 1, 'x')));
        QVERIFY(big->waitForBytesWritten(1000));
        QVERIFY(big->waitForReadyRead(2000));
        QVERIFY(big->readAll().startsWith("HTTP/1.1 413"));
        // One that announces 400 MB and sends nothing is dropped at the time limit.
        auto huge = connect();
        huge->write("POST /ajax.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 400000000\r\n\r\n");
        QVERIFY(huge->waitForBytesWritten(1000));
        QVERIFY(huge->waitForDisconnected(3000));
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
