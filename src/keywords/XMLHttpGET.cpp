#include "keywords/XMLHttpGET.h"

#include "base/AppPaths.h"
#include "base/HttpClient.h"
#include "base/TextCodec.h"
#include "keywords/WebText.h"

#include <QFile>
#include <QSettings>
#include <QUrl>
#include <memory>

QByteArray BrowserHeaders::userAgent()
{
    return QByteArrayLiteral("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                             "Chrome/131.0.0.0 Safari/537.36");
}

QByteArray BrowserHeaders::acceptLanguage()
{
    return QByteArrayLiteral("zh-CN,zh;q=0.9");
}

QByteArray BrowserHeaders::accept()
{
    return QByteArrayLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
}

void XMLHttpGET(HttpClient* network, const QString& url, int bm, QObject* context,
                std::function<void(const FetchReply&)> done, const QString& referer, std::chrono::milliseconds timeout)
{
    // Percent escapes are already in the address; take it as it stands.
    const QUrl address = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!network || !address.isValid() || address.host().isEmpty()) {
        QMetaObject::invokeMethod(
            context,
            [done, address] {
                done(FetchReply{{}, 0, address, address});
            },
            Qt::QueuedConnection);
        return;
    }
    HttpRequest request;
    request.url = address;
    request.timeout = timeout;
    request.followRedirects = true;
    request.headers = {{"User-Agent", BrowserHeaders::userAgent()},
                       {"Accept-Language", BrowserHeaders::acceptLanguage()},
                       {"Accept", BrowserHeaders::accept()}};
    if (!referer.isEmpty())
        request.headers.append({"Referer", referer.toUtf8()});
    auto body = std::make_shared<QByteArray>();
    HttpEvents events;
    events.data = [body](const QByteArray& data) { body->append(data); };
    events.finished = [body, bm, done, address](const HttpResult& answer) {
        FetchReply result{{}, 0, address, answer.finalUrl};
        if (answer.status != 0 && !answer.aborted) {
            result.status = answer.status;
            result.text = bm == 0 ? TextCodec::fromAnsi(*body) : bBytesToBstr(*body);
            result.body = *body;
        }
        done(result);
    };
    network->send(request, context, std::move(events));
}

KeywordHosts KeywordHosts::load()
{
    KeywordHosts hosts{QStringLiteral("http://suggestion.baidu.com"), QStringLiteral("http://www.baidu.com")};
    const QString path = AppPaths::filePath(QStringLiteral("keywords.ini"));
    if (!QFile::exists(path))
        return hosts;
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("hosts"));
    auto base = [&ini](const QString& key, const QString& fallback) {
        QString value = ini.value(key, fallback).toString().trimmed();
        while (value.endsWith(u'/'))
            value.chop(1);
        return value.isEmpty() ? fallback : value;
    };
    hosts.suggest = base(QStringLiteral("suggest"), hosts.suggest);
    hosts.search = base(QStringLiteral("search"), hosts.search);
    return hosts;
}
