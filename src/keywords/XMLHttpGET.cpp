#include "keywords/XMLHttpGET.h"

#include "base/HttpClient.h"
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
