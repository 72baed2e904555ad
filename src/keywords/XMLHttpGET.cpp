#include "keywords/XMLHttpGET.h"

#include "base/HttpClient.h"
#include "base/SiteNames.h"
#include "base/TextCodec.h"
#include "keywords/WebText.h"

#include <QStringDecoder>
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

QString decodeByCharset(const QByteArray& body, const QByteArray& contentType)
{
    const QByteArray type = contentType.toLower();
    const qsizetype at = type.indexOf("charset=");
    if (at >= 0) {
        QByteArray charset = type.mid(at + 8).trimmed();
        charset = charset.left(charset.indexOf(';') < 0 ? charset.size() : charset.indexOf(';')).trimmed();
        charset.replace('"', "");
        if (charset == "utf-8" || charset == "utf8")
            return QString::fromUtf8(body);
        if (charset == "gbk" || charset == "gb2312" || charset == "gb18030" || charset == "cp936")
            return TextCodec::fromAnsi(body);
    }
    // No charset, or one of no use: UTF-8 when the bytes are that, the ANSI code page otherwise.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    return utf8.hasError() ? TextCodec::fromAnsi(body) : text;
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
    // A source that sends a byte now and then still ends at the limit.
    request.timeout = timeout;
    request.deadline = timeout;
    request.followRedirects = true;
    request.maxBodyBytes = kMaxReplyBytes;
    // Where a refused redirect meant to send the client: a verification address is a block, not a failure.
    auto verification = std::make_shared<QUrl>();
    request.allowRedirect = [domain = SiteNames::registrableDomain(address.host()), verification](const QUrl& to) {
        if (SearchReply::isVerificationAddress(to)) {
            *verification = to;
            return false;
        }
        return SiteNames::registrableDomain(to.host()) == domain;
    };
    request.headers = {{"User-Agent", BrowserHeaders::userAgent()},
                       {"Accept-Language", BrowserHeaders::acceptLanguage()},
                       {"Accept", BrowserHeaders::accept()}};
    if (!referer.isEmpty())
        request.headers.append({"Referer", referer.toUtf8()});
    auto body = std::make_shared<QByteArray>();
    auto tooLarge = std::make_shared<bool>(false);
    HttpEvents events;
    events.data = [body, tooLarge](const QByteArray& data) {
        if (*tooLarge || body->size() + data.size() >= kMaxReplyBytes) {
            *tooLarge = true;
            body->clear();
            return;
        }
        body->append(data);
    };
    events.finished = [body, tooLarge, bm, done, address, verification](const HttpResult& answer) {
        FetchReply result{{}, 0, address, answer.finalUrl};
        result.proxyFailed = answer.proxyFailed;
        if (verification->isValid()) {
            result.status = 302;
            result.finalUrl = *verification;
            done(result);
            return;
        }
        if (answer.status != 0 && !answer.aborted && !*tooLarge) {
            result.status = answer.status;
            result.contentType = answer.contentType;
            result.text = bm == 0   ? TextCodec::fromAnsi(*body)
                          : bm == 1 ? bBytesToBstr(*body)
                                    : decodeByCharset(*body, answer.contentType);
            result.body = *body;
        }
        done(result);
    };
    network->send(request, context, std::move(events));
}
