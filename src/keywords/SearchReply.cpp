#include "keywords/SearchReply.h"

#include "keywords/sources/PageBlocks.h"

#include <QRegularExpression>

namespace {

bool verificationAddress(const QUrl& url)
{
    const QString where = (url.host() + url.path()).toLower();
    for (const char16_t* word : {u"wappass", u"captcha", u"verify", u"antispider", u"seccode"}) {
        if (where.contains(QStringView(word)))
            return true;
    }
    return false;
}

// Whether an address's host or path (not its query: a result page links to searches for any word) is
// where the services keep their verification.
bool verificationPath(const QString& address)
{
    static const QRegularExpression word(QStringLiteral("antispider|captcha|seccode"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!address.contains(word))
        return false; // most addresses: no need to parse them
    const QUrl url(address.trimmed());
    const QString where = (url.host() + url.path()).toLower();
    for (const char16_t* word : {u"antispider", u"qcaptcha", u"captcha", u"seccode"}) {
        if (where.contains(QStringView(word)))
            return true;
    }
    return false;
}

// An input that asks for the code of a picture, by its name, id, class or prompt (not its value: a
// search box holds the query).
bool asksForCode(QStringView input)
{
    for (const char16_t* name : {u"name", u"id", u"class", u"placeholder"}) {
        const QString value = PageBlocks::attribute(input, QStringView(name)).toLower();
        for (const char16_t* word : {u"验证码", u"captcha", u"seccode", u"vcode", u"verifycode"}) {
            if (value.contains(QStringView(word)))
                return true;
        }
    }
    return false;
}

// The mark-up of a verification page, whatever its title: a script, form, frame or picture of the
// services' verification, or a form asking for a code.
bool hasVerificationMarkup(QStringView text)
{
    bool inForm = false;
    for (PageBlocks::Tag tag = PageBlocks::nextTag(text, 0); tag.found(); tag = PageBlocks::nextTag(text, tag.end)) {
        if (tag.is(u"form"))
            inForm = !tag.closing;
        if (tag.closing ||
            !(tag.is(u"script") || tag.is(u"form") || tag.is(u"img") || tag.is(u"iframe") || tag.is(u"input")))
            continue;
        const QStringView markup = text.sliced(tag.start, std::min<qsizetype>(tag.end - tag.start, 4096));
        for (const char16_t* attribute : {u"src", u"action"}) {
            if (verificationPath(PageBlocks::attribute(markup, QStringView(attribute))))
                return true;
        }
        if (inForm && tag.is(u"input") && asksForCode(markup))
            return true;
    }
    return false;
}

bool isVerificationPage(const QString& text, bool readMarkup)
{
    const bool webPage = text.contains(u"<html", Qt::CaseInsensitive) || text.contains(u"<body", Qt::CaseInsensitive) ||
                         text.contains(u"<title", Qt::CaseInsensitive);
    if (!webPage)
        return false;
    if (readMarkup && hasVerificationMarkup(text))
        return true;
    static const QRegularExpression titleTag(QStringLiteral("<title[^>]*>([^<]*)</title>"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QString title = titleTag.match(text).captured(1).trimmed();
    // A result page is titled "<query>_百度搜索" (or "_360搜索", " - 搜狗搜索", " - 神马搜索") and is an answer,
    // whatever the query was: its text may speak of verification.
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

// Its mark-up is ASCII, read alike in any decoding; its words are read in the page's and in UTF-8, in
// which verification pages come whatever was asked.
bool isVerificationPage(const QString& text, const QByteArray& body)
{
    return isVerificationPage(text, true) || (!body.isEmpty() && isVerificationPage(QString::fromUtf8(body), false));
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
    if (isVerificationPage(reply.text, reply.body))
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
