#include "keywords/SearchReply.h"

#include <QRegularExpression>

namespace {

bool verificationAddress(const QUrl& url)
{
    const QString where = (url.host() + url.path()).toLower();
    for (const char16_t* word : {u"wappass", u"captcha", u"verify", u"antispider"}) {
        if (where.contains(QStringView(word)))
            return true;
    }
    return false;
}

bool isVerificationPage(const QString& text)
{
    const bool webPage = text.contains(u"<html", Qt::CaseInsensitive) || text.contains(u"<body", Qt::CaseInsensitive) ||
                         text.contains(u"<title", Qt::CaseInsensitive);
    if (!webPage)
        return false;
    static const QRegularExpression titleTag(QStringLiteral("<title[^>]*>([^<]*)</title>"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QString title = titleTag.match(text).captured(1).trimmed();
    // A result page is titled "<query>_百度搜索" (or "_360搜索", " - 搜狗搜索", " - 神马搜索") and is an answer,
    // whatever the query was.
    static const QRegularExpression resultTitle(QStringLiteral("[_-]\\s*(?:百度|360|搜狗|神马)搜索$"));
    if (resultTitle.match(title).hasMatch())
        return false;
    // Baidu's, and what 360 and Sogou title theirs ("访问异常", "访问过于频繁", "您的访问出错").
    for (const char16_t* sign :
         {u"百度安全验证", u"请输入验证码", u"安全验证", u"访问异常", u"访问过于频繁", u"您的访问出错"}) {
        if (title.contains(QStringView(sign)))
            return true;
    }
    return text.contains(u"百度安全验证") || text.contains(u"请输入验证码");
}

} // namespace

namespace SearchReply {

ReplyCheck check(const FetchReply& reply, const QString& service)
{
    if (reply.status == 0 && reply.proxyFailed)
        return {ReplyCheck::Verdict::ProxyFailure, QStringLiteral("代理连不上")};
    if (reply.status == 0)
        return {ReplyCheck::Verdict::NetworkFailure, QStringLiteral("网络不通")};
    if (reply.finalUrl.isValid() && reply.finalUrl != reply.requested && verificationAddress(reply.finalUrl))
        return {ReplyCheck::Verdict::Blocked, service + u"要求安全验证"};
    if (reply.status == 403 || reply.status == 429)
        return {ReplyCheck::Verdict::Blocked, QString(service + u"拒绝了请求（%1）").arg(reply.status)};
    if (isVerificationPage(reply.text) || isVerificationPage(QString::fromUtf8(reply.body)))
        return {ReplyCheck::Verdict::Blocked, service + u"要求安全验证"};
    return {};
}

bool isVerificationAddress(const QUrl& url)
{
    return verificationAddress(url);
}

bool isSuggestionScript(const QString& reply, const QString& callback)
{
    return QStringView(reply).trimmed().startsWith(callback);
}

} // namespace SearchReply
