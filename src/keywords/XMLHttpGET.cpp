#include "keywords/XMLHttpGET.h"

#include "base/AppPaths.h"
#include "base/TextCodec.h"
#include "keywords/WebText.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QUrl>

void XMLHttpGET(QNetworkAccessManager& network, const QString& url, int bm, QObject* context,
                std::function<void(const QString&)> done, std::chrono::milliseconds timeout)
{
    // Percent escapes are already in the address; take it as it stands.
    const QUrl address = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!address.isValid() || address.host().isEmpty()) {
        QMetaObject::invokeMethod(
            context, [done] { done(QString()); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(int(timeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network.get(request);
    // The context is half destroyed when it says so: the abort's finished() must not reach it.
    QObject::connect(context, &QObject::destroyed, reply, [reply, context] {
        QObject::disconnect(reply, nullptr, context, nullptr);
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, bm, done] {
        const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        const QByteArray body = reply->readAll();
        if (!answered || reply->error() == QNetworkReply::OperationCanceledError) {
            done(QString());
            return;
        }
        done(bm == 0 ? TextCodec::fromAnsi(body) : bBytesToBstr(body));
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
