#include "keywords/KeywordSource.h"

#include "keywords/KeywordRules.h"
#include "keywords/WebText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// The strings of a JSON array of objects, each object's member key.
QStringList memberStrings(const QJsonValue& array, const QString& key)
{
    QStringList words;
    for (const QJsonValue& item : array.toArray()) {
        const QJsonValue word = item.toObject().value(key);
        if (word.isString())
            words.append(word.toString());
    }
    return words;
}

QJsonObject jsonObject(const QString& reply)
{
    return QJsonDocument::fromJson(reply.trimmed().toUtf8()).object();
}

// The element that starts at the tag opening at start, through its matching end tag (div elements
// counted), or the rest of the page when it never closes.
QString divElement(const QString& page, qsizetype start)
{
    int depth = 0;
    for (KeywordRules::HtmlTag tag = KeywordRules::nextTag(page, {u"div"}, start); tag.start >= 0;
         tag = KeywordRules::nextTag(page, {u"div"}, tag.end)) {
        depth += tag.closing ? -1 : 1;
        if (depth == 0)
            return page.mid(start, tag.end - start);
    }
    return page.mid(start);
}

} // namespace

namespace SourceReplies {

QStringList baiduMobileSuggestions(const QString& reply)
{
    return memberStrings(jsonObject(reply).value(u"g"), QStringLiteral("q"));
}

QStringList so360Suggestions(const QString& reply)
{
    return memberStrings(jsonObject(reply).value(u"result"), QStringLiteral("word"));
}

QStringList sogouSuggestions(const QString& reply)
{
    // The call's arguments are a JSON array and a number: as the elements of one array they are JSON.
    const QStringView text = QStringView(reply).trimmed();
    static const QString callback = QStringLiteral("window.sogou.sug(");
    if (!text.startsWith(callback))
        return {};
    const qsizetype close = text.lastIndexOf(u')');
    if (close < callback.size())
        return {};
    const QString arguments = text.mid(callback.size(), close - callback.size()).toString();
    const QJsonArray call = QJsonDocument::fromJson('[' + arguments.toUtf8() + ']').array();
    QStringList words;
    for (const QJsonValue word : call.at(0).toArray().at(1).toArray()) {
        if (word.isString())
            words.append(word.toString());
    }
    return words;
}

// Whether a div's tag marks a block of related words: the regular expression runs only on the few
// tags that name one of its words.
bool isBlockTag(QStringView tag)
{
    static const QRegularExpression block(
        QStringLiteral("(?:\\bid\\s*=\\s*[\"']?relativewords|\\bclass\\s*=\\s*[\"'][^\"']*\\b(?:rw-list|"
                       "relativewords)|\\btpl\\s*=\\s*[\"']?recommend_list)"),
        QRegularExpression::CaseInsensitiveOption);
    return (tag.contains(u"relativewords", Qt::CaseInsensitive) || tag.contains(u"rw-list", Qt::CaseInsensitive) ||
            tag.contains(u"recommend_list", Qt::CaseInsensitive)) &&
           block.match(tag).hasMatch();
}

QStringList baiduMobileRelated(const QString& page)
{
    // The block is a div marked as the related words (relativewords, rw-list) or by its template.
    // A page has more than one: cards among the results ("其他人还在搜") and the box at its foot. Each is
    // taken, in page order; a block inside one already taken is part of it.
    QStringList words;
    qsizetype takenUpTo = 0;
    for (KeywordRules::HtmlTag div = KeywordRules::nextTag(page, {u"div"}, 0); div.start >= 0;
         div = KeywordRules::nextTag(page, {u"div"}, std::max(div.end, takenUpTo))) {
        const qsizetype start = div.start;
        const QStringView tag = QStringView(page).sliced(start, div.end - start);
        if (div.closing || tag.size() > KeywordRules::kLongestTag || !isBlockTag(tag))
            continue;
        const QString element = divElement(page, start);
        takenUpTo = start + element.size();
        for (const QString& word : KeywordRules::linkTexts(element)) {
            if (word != u"相关搜索" && !words.contains(word))
                words.append(word);
        }
    }
    return words;
}

} // namespace SourceReplies

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
    }
    return {};
}

QStringList KeywordSource::keywords(const FetchReply& reply) const
{
    switch (kind) {
    case Kind::BaiduSuggest:
        if (!SearchReply::isSuggestionScript(reply.text, KeywordRules::suggestionCallback()))
            return {};
        return KeywordRules::SuggestionPieces(reply.text);
    case Kind::BaiduRelated:
        return KeywordRules::RelatedPieces(reply.text);
    case Kind::BaiduMobileSuggest:
        return SourceReplies::baiduMobileSuggestions(reply.text);
    case Kind::BaiduMobileRelated:
        return SourceReplies::baiduMobileRelated(reply.text);
    case Kind::So360Suggest:
        return SourceReplies::so360Suggestions(reply.text);
    case Kind::SogouSuggest:
        return SourceReplies::sogouSuggestions(reply.text);
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
    };
    return sources;
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
