#pragma once

#include "base/TextCodec.h"
#include "support/TestHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QUrlQuery>

// The keyword sources as a test meets them: every one answers in its own shape with "<seed><tag>1" and
// "<seed><tag>2", the tag telling them apart: "" for Baidu's suggestions, 甲/乙 for its related box, m, r,
// s, g and n for the mobile suggestions, the mobile related box, 360, Sogou and Shenma; o, u and h for the
// related boxes of 360, Sogou and Shenma (one page holds 360's and Shenma's: they share the address).
namespace FakeSources {

inline QString seedOf(const QUrl& url)
{
    const QUrlQuery query(url);
    for (const QString& key : {QStringLiteral("wd"), QStringLiteral("word"), QStringLiteral("key"), QStringLiteral("q"),
                               QStringLiteral("query")}) {
        if (query.hasQueryItem(key))
            return query.queryItemValue(key, QUrl::FullyDecoded);
    }
    return {};
}

inline QString json(const QStringList& words, const QString& list, const QString& member)
{
    QJsonArray items;
    for (const QString& word : words)
        items.append(QJsonObject{{member, word}});
    return QString::fromUtf8(QJsonDocument(QJsonObject{{list, items}}).toJson(QJsonDocument::Compact));
}

// How many results the desktop result pages say they hold for a seed: a figure of its own for each seed,
// in no order of the seeds'.
inline qint64 resultsFor(const QString& seed)
{
    qint64 sum = 0;
    for (QChar c : seed)
        sum += c.unicode();
    return 100000 - sum;
}

inline QString stated(const QString& before, const QString& seed, const QString& after)
{
    return u"<p class=\"nums\">" + before + QLocale(QLocale::English).toString(resultsFor(seed)) + after + u"</p>";
}

// The reply's text; empty for an address no source has.
inline QString text(const QUrl& url)
{
    const QString seed = seedOf(url);
    QString path = url.path();
    while (path.startsWith(u"//"))
        path.remove(0, 1);
    if (path == u"/su")
        return u"window.bdsug.sug({q:\"" + seed + u"\",p:false,s:[\"" + seed + u"1\",\"" + seed + u"2\"]});";
    if (path == u"/s" && url.query().contains(u"tn=baidu"))
        return stated(u"百度为您找到相关结果约"_qs, seed, u"个"_qs) +
               u"<div class=\"tt\">相关搜索</div><table cellpadding=\"0\"><tr><th><a href=\"/s?wd=1\">" + seed +
               u"甲</a></th><td></td><th><a href=\"/s?wd=2\">" + seed + u"乙</a></th></tr></table></div>";
    if (path == u"/s" && url.query().startsWith(u"q="))
        return stated(u"找到相关结果约"_qs, seed, u"个"_qs) + u"<div id=\"rs\"><a href=\"/s?q=1\">" + seed +
               u"o1</a><a href=\"/s?q=2\">" + seed +
               u"o2</a></div><div class=\"card\"><div>相关搜索</div><a href=\"/s?q=3\">" + seed +
               u"h1</a><a href=\"/s?q=4\">" + seed + u"h2</a></div>";
    if (path == u"/web" && url.query().startsWith(u"query="))
        return stated(u"搜狗已为您找到约"_qs, seed, u"条相关结果"_qs) +
               u"<div id=\"hint_container\"><a href=\"/web?query=1\">" + seed + u"u1</a><a href=\"/web?query=2\">" +
               seed + u"u2</a></div>";
    if (path == u"/web")
        return json({seed + u"n1", seed + u"n2"}, QStringLiteral("r"), QStringLiteral("w"));
    if (path == u"/sugrec")
        return json({seed + u"m1", seed + u"m2"}, QStringLiteral("g"), QStringLiteral("q"));
    if (path == u"/s")
        return u"<div id=\"relativewords\"><div>相关搜索</div><a href=\"/s?word=1\">" + seed +
               u"r1</a><a href=\"/s?word=2\">" + seed + u"r2</a></div>";
    if (path == u"/suggest")
        return json({seed + u"s1", seed + u"s2"}, QStringLiteral("result"), QStringLiteral("word"));
    if (path == u"/suggnew/ajajjson")
        return u"window.sogou.sug([\"" + seed + u"\",[\"" + seed + u"g1\",\"" + seed + u"g2\"],[]],-1);";
    return {};
}

// The same over HTTP: Baidu's suggestions in GBK as Baidu sends them, the rest in UTF-8; an address no
// source has, or one of a source not in answering, is refused.
inline TestHttpServer::Reply serve(const TestHttpServer::Request& request, const QStringList& answering = {})
{
    QUrl url;
    url.setPath(QString::fromLatin1(request.path));
    url.setQuery(QString::fromLatin1(request.query));
    const QString reply = text(url);
    if (reply.isEmpty() || (!answering.isEmpty() && !answering.contains(url.path())))
        return {"no", "text/html", {}, 403};
    if (url.path() == u"/su")
        return {TextCodec::toAnsi(reply), "text/javascript; charset=gbk"};
    return {reply.toUtf8(), "text/html; charset=utf-8"};
}

} // namespace FakeSources
