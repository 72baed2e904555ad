#include "keywords/XMLHttpGET.h"

#include "base/AppPaths.h"
#include "base/TextCodec.h"
#include "keywords/WebText.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QUrl>

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

void XMLHttpGET(QNetworkAccessManager& network, const QString& url, int bm, QObject* context,
                std::function<void(const FetchReply&)> done, const QString& referer, std::chrono::milliseconds timeout)
{
    // Percent escapes are already in the address; take it as it stands.
    const QUrl address = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!address.isValid() || address.host().isEmpty()) {
        QMetaObject::invokeMethod(
            context,
            [done, address] {
                done(FetchReply{{}, 0, address, address});
            },
            Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(int(timeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, BrowserHeaders::userAgent());
    request.setRawHeader("Accept-Language", BrowserHeaders::acceptLanguage());
    request.setRawHeader("Accept", BrowserHeaders::accept());
    if (!referer.isEmpty())
        request.setRawHeader("Referer", referer.toUtf8());
    QNetworkReply* reply = network.get(request);
    // The context is half destroyed when it says so: the abort's finished() must not reach it.
    QObject::connect(context, &QObject::destroyed, reply, [reply, context] {
        QObject::disconnect(reply, nullptr, context, nullptr);
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, bm, done, address] {
        FetchReply result{{}, 0, address, reply->url()};
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QByteArray body = reply->readAll();
        if (status.isValid() && reply->error() != QNetworkReply::OperationCanceledError) {
            result.status = status.toInt();
            result.text = bm == 0 ? TextCodec::fromAnsi(body) : bBytesToBstr(body);
            result.body = body;
        }
        done(result);
    });
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
