#include "keywords/KeywordSource.h"

#include "keywords/KeywordRules.h"
#include "keywords/WebText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

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
// counted), or the rest of the page when it never closes; with a longest length, nothing when it does
// not close within it.
QString divElement(const QString& page, qsizetype start, qsizetype longest = -1)
{
    int depth = 0;
    for (KeywordRules::HtmlTag tag = KeywordRules::nextTag(page, {u"div"}, start); tag.start >= 0;
         tag = KeywordRules::nextTag(page, {u"div"}, tag.end)) {
        if (longest >= 0 && tag.end - start > longest)
            return {};
        depth += tag.closing ? -1 : 1;
        if (depth == 0)
            return page.mid(start, tag.end - start);
    }
    return longest >= 0 ? QString() : page.mid(start);
}

// The outermost div elements of a page whose own tag isBlock accepts, in page order; a block inside one
// already taken is part of it.
template <typename Predicate> QStringList divBlocks(const QString& page, Predicate isBlock)
{
    QStringList blocks;
    qsizetype takenUpTo = 0;
    for (KeywordRules::HtmlTag div = KeywordRules::nextTag(page, {u"div"}, 0); div.start >= 0;
         div = KeywordRules::nextTag(page, {u"div"}, std::max(div.end, takenUpTo))) {
        const QStringView tag = QStringView(page).sliced(div.start, div.end - div.start);
        if (div.closing || tag.size() > KeywordRules::kLongestTag || !isBlock(tag))
            continue;
        blocks.append(divElement(page, div.start));
        takenUpTo = div.start + blocks.last().size();
    }
    return blocks;
}

// Whether a div's tag carries the id that pattern matches (written as "\\bid\\s*=…").
bool hasId(QStringView tag, QStringView id, const QRegularExpression& pattern)
{
    return tag.contains(id, Qt::CaseInsensitive) && pattern.match(tag).hasMatch();
}

// The query a link asks of a search engine (its key's value), or nothing for a link that is not a search.
QString searchOf(const QString& href, const QString& key)
{
    return QUrlQuery(QUrl(href).query()).queryItemValue(key, QUrl::FullyDecoded).trimmed();
}

// The texts of the links of blocks that ask the engine for another search, each once, in page order.
QStringList searchLinkTexts(const QStringList& blocks, const QString& key)
{
    QStringList words;
    for (const QString& block : blocks) {
        for (const KeywordRules::PageLink& link : KeywordRules::links(block)) {
            if (!searchOf(link.href, key).isEmpty() && !words.contains(link.text))
                words.append(link.text);
        }
    }
    return words;
}

// Whether a link asks the engine's result page (path /s) for another search.
bool isResultSearch(const QString& href, const QString& seed)
{
    const QUrl url(href);
    const QString query = searchOf(href, QStringLiteral("q"));
    return url.path().endsWith(u"/s") && !query.isEmpty() && query != seed;
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
    // taken, in page order.
    QStringList words;
    for (const QString& block : divBlocks(page, isBlockTag)) {
        for (const QString& word : KeywordRules::linkTexts(block)) {
            if (word != u"相关搜索" && !words.contains(word))
                words.append(word);
        }
    }
    return words;
}

QStringList so360Related(const QString& page)
{
    // The box is div#rs; a link of it that is not a search (反馈) is not a word.
    static const QRegularExpression id(QStringLiteral("\\bid\\s*=\\s*[\"']?rs[\"'\\s>]"),
                                       QRegularExpression::CaseInsensitiveOption);
    return searchLinkTexts(divBlocks(page, [](QStringView tag) { return hasId(tag, u"rs", id); }), QStringLiteral("q"));
}

QStringList sogouRelated(const QString& page)
{
    // The box is #hint_container; its texts come as numeric character references, which links decodes.
    static const QRegularExpression id(QStringLiteral("\\bid\\s*=\\s*[\"']?hint_container[\"'\\s>]"),
                                       QRegularExpression::CaseInsensitiveOption);
    return searchLinkTexts(divBlocks(page, [](QStringView tag) { return hasId(tag, u"hint_container", id); }),
                           QStringLiteral("query"));
}

QStringList shenmaSuggestions(const QString& reply)
{
    // JSON, or JSON handed to a callback ("window.shenma.sug({...});").
    const qsizetype open = reply.indexOf(u'{');
    const qsizetype close = reply.lastIndexOf(u'}');
    if (open < 0 || close < open)
        return {};
    return memberStrings(jsonObject(reply.sliced(open, close - open + 1)).value(u"r"), QStringLiteral("w"));
}

QStringList shenmaRelated(const QString& page, const QString& seed)
{
    // The card is the smallest div around its heading that links to other searches; its markup is not
    // relied on beyond that.
    QStringList words;
    qsizetype takenUpTo = 0;
    int headings = 0; // each costs a pass over the page: a real one has one or two
    for (const QStringView heading : {u"相关搜索", u"大家还在搜", u"其他人还在搜"}) {
        for (qsizetype at = page.indexOf(heading, takenUpTo); at >= 0 && ++headings <= 8;
             at = page.indexOf(heading, at + 1)) {
            std::vector<qsizetype> open; // the divs open at the heading, outermost first
            for (KeywordRules::HtmlTag div = KeywordRules::nextTag(page, {u"div"}, 0); div.start >= 0 && div.start < at;
                 div = KeywordRules::nextTag(page, {u"div"}, div.end)) {
                if (!div.closing)
                    open.push_back(div.start);
                else if (!open.empty())
                    open.pop_back();
            }
            // A few levels out at most: a page of unclosed divs costs no more than a few passes.
            for (int level = 0; level < 4 && !open.empty(); ++level, open.pop_back()) {
                QStringList found;
                // A card is a few kilobytes; a div that runs on further is not one.
                const QString card = divElement(page, open.back(), 64 * 1024);
                for (const KeywordRules::PageLink& link : KeywordRules::links(card)) {
                    if (isResultSearch(link.href, seed) && !words.contains(link.text) && !found.contains(link.text))
                        found.append(link.text);
                }
                if (!found.isEmpty()) {
                    words += found;
                    takenUpTo = std::max(takenUpTo, open.back() + card.size());
                    break;
                }
            }
            at = std::max(at, takenUpTo - 1);
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
    case Kind::So360Related:
        return SourceReplies::so360Related(reply.text);
    case Kind::SogouRelated:
        return SourceReplies::sogouRelated(reply.text);
    case Kind::ShenmaSuggest:
        return SourceReplies::shenmaSuggestions(reply.text);
    case Kind::ShenmaRelated:
        return SourceReplies::shenmaRelated(
            reply.text, QUrlQuery(reply.requested).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded));
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
