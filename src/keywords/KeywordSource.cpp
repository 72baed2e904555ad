#include "keywords/KeywordSource.h"

#include "keywords/KeywordRules.h"
#include "keywords/WebText.h"

#include <QUrlQuery>

SourceRequest KeywordSource::request(const QString& host, const QString& seed) const
{
    const QString query = GBtoUTF8(seed);
    switch (kind) {
    case Kind::BaiduSuggest:
        return {KeywordRules::suggestionUrl(host, seed), {}, 0};
    case Kind::BaiduRelated:
        // The result page is asked for as a browser asks it, coming from the search host's home page.
        return {KeywordRules::searchUrl(host, seed), host + u'/', 1};
    case Kind::BaiduMobileSuggest:
        return {host + u"/sugrec?pre=1&p=3&ie=utf-8&json=1&prod=wise&from=wise_web&wd=" + query, host + u'/', 1};
    case Kind::BaiduMobileRelated:
        return {host + u"/s?ie=utf-8&word=" + query, host + u'/', 1};
    case Kind::So360Suggest:
        return {host + u"/suggest?format=json&encodein=utf-8&encodeout=utf-8&word=" + query, {}, 1};
    case Kind::SogouSuggest:
        return {host + u"/suggnew/ajajjson?key=" + query + u"&type=web", {}, 2};
    case Kind::So360Related:
        return {host + u"/s?q=" + query, host + u'/', 2};
    case Kind::SogouRelated:
        return {host + u"/web?query=" + query, host + u'/', 2};
    case Kind::ShenmaSuggest:
        return {host + u"/web?t=w&q=" + query, {}, 1};
    case Kind::ShenmaRelated:
        return {host + u"/s?q=" + query, host + u'/', 2};
    }
    return {};
}

SourceWords KeywordSource::read(const FetchReply& reply) const
{
    // Links on a page are resolved against where it came from.
    const QUrl address = reply.finalUrl.isValid() ? reply.finalUrl : reply.requested;
    switch (kind) {
    case Kind::BaiduSuggest:
        if (!SearchReply::isSuggestionScript(reply.text, KeywordRules::suggestionCallback()))
            return {};
        return {KeywordRules::SuggestionPieces(reply.text), true};
    case Kind::BaiduRelated:
        return SourceReplies::baiduRelated(reply.text, address);
    case Kind::BaiduMobileSuggest:
        return SourceReplies::baiduMobileSuggestions(reply.text);
    case Kind::BaiduMobileRelated:
        return SourceReplies::baiduMobileRelated(reply.text, address);
    case Kind::So360Suggest:
        return SourceReplies::so360Suggestions(reply.text);
    case Kind::SogouSuggest:
        return SourceReplies::sogouSuggestions(reply.text);
    case Kind::So360Related:
        return SourceReplies::so360Related(reply.text, address);
    case Kind::SogouRelated:
        return SourceReplies::sogouRelated(reply.text, address);
    case Kind::ShenmaSuggest:
        return SourceReplies::shenmaSuggestions(reply.text);
    case Kind::ShenmaRelated:
        return SourceReplies::shenmaRelated(
            reply.text, QUrlQuery(reply.requested).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), address);
    }
    return {};
}

const QList<KeywordSource>& KeywordSource::all()
{
    static const QList<KeywordSource> sources{
        {Kind::BaiduSuggest, QStringLiteral("baidu"), QStringLiteral("suggest"),
         QStringLiteral("https://suggestion.baidu.com"), QStringLiteral("百度"), QStringLiteral("百度联想词（一级）")},
        {Kind::BaiduRelated, QStringLiteral("baidu-related"), QStringLiteral("search"),
         QStringLiteral("https://www.baidu.com"), QStringLiteral("百度"), QStringLiteral("百度相关搜索（二级）")},
        {Kind::BaiduMobileSuggest, QStringLiteral("baidu-mobile"), QStringLiteral("mobile-suggest"),
         QStringLiteral("https://m.baidu.com"), QStringLiteral("百度"), QStringLiteral("百度手机联想词")},
        {Kind::BaiduMobileRelated, QStringLiteral("baidu-mobile-related"), QStringLiteral("mobile-search"),
         QStringLiteral("https://m.baidu.com"), QStringLiteral("百度"), QStringLiteral("百度手机相关搜索")},
        {Kind::So360Suggest, QStringLiteral("360"), QStringLiteral("360"), QStringLiteral("https://sug.so.360.cn"),
         QStringLiteral("360搜索"), QStringLiteral("360联想词")},
        {Kind::SogouSuggest, QStringLiteral("sogou"), QStringLiteral("sogou"), QStringLiteral("https://www.sogou.com"),
         QStringLiteral("搜狗"), QStringLiteral("搜狗联想词")},
        {Kind::ShenmaSuggest, QStringLiteral("shenma"), QStringLiteral("shenma"),
         QStringLiteral("https://sugs.m.sm.cn"), QStringLiteral("神马"), QStringLiteral("神马联想词")},
        {Kind::So360Related, QStringLiteral("360-related"), QStringLiteral("360-search"),
         QStringLiteral("https://www.so.com"), QStringLiteral("360搜索"), QStringLiteral("360相关搜索")},
        {Kind::SogouRelated, QStringLiteral("sogou-related"), QStringLiteral("sogou-search"),
         QStringLiteral("https://www.sogou.com"), QStringLiteral("搜狗"), QStringLiteral("搜狗相关搜索")},
        {Kind::ShenmaRelated, QStringLiteral("shenma-related"), QStringLiteral("shenma-search"),
         QStringLiteral("https://m.sm.cn"), QStringLiteral("神马"), QStringLiteral("神马相关搜索")},
    };
    return sources;
}

int KeywordSource::resultEngine() const
{
    switch (kind) {
    case Kind::BaiduRelated:
        return 0;
    case Kind::So360Related:
        return 1;
    case Kind::SogouRelated:
        return 2;
    default:
        return -1;
    }
}

const QStringList& KeywordSource::resultEngines()
{
    static const QStringList engines{QStringLiteral("百度"), QStringLiteral("360"), QStringLiteral("搜狗")};
    return engines;
}

bool KeywordSource::suggests() const
{
    switch (kind) {
    case Kind::BaiduSuggest:
    case Kind::BaiduMobileSuggest:
    case Kind::So360Suggest:
    case Kind::SogouSuggest:
    case Kind::ShenmaSuggest:
        return true;
    default:
        return false;
    }
}

const KeywordSource* KeywordSource::find(QStringView name)
{
    for (const KeywordSource& source : all()) {
        if (source.name == name)
            return &source;
    }
    return nullptr;
}

QString KeywordSource::names()
{
    QStringList names;
    for (const KeywordSource& source : all())
        names.append(source.name);
    return names.join(u", ");
}
