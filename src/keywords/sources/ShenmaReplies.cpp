#include "keywords/sources/JsonReplies.h"
#include "keywords/sources/PageBlocks.h"
#include "keywords/sources/SourceReplies.h"

#include <algorithm>
#include <vector>

namespace {

// A link to another result page (path /s), not to the seed's own.
bool isResultSearch(const QUrl& search, const QString& query, const QString& seed)
{
    return search.path().endsWith(u"/s") && query != seed;
}

// The divs open at each heading, innermost first, a few levels out at most; headings inside a script are
// none. One pass over the page for all of them.
std::vector<std::vector<qsizetype>> openAround(QStringView page, const std::vector<qsizetype>& headings)
{
    constexpr size_t kLevels = 4;
    std::vector<std::vector<qsizetype>> around(headings.size());
    std::vector<qsizetype> open;
    size_t next = 0;
    auto reach = [&](qsizetype upTo, bool inScript) {
        for (; next < headings.size() && headings[next] < upTo; ++next) {
            if (inScript)
                continue;
            const size_t levels = std::min(kLevels, open.size());
            around[next].assign(open.rbegin(), open.rbegin() + qsizetype(levels));
        }
    };
    for (PageBlocks::Tag tag = PageBlocks::nextTag(page, 0); tag.found() && next < headings.size();
         tag = PageBlocks::nextTag(page, tag.end)) {
        reach(tag.start, false);
        if (tag.is(u"script") || tag.is(u"style"))
            reach(tag.end, true);
        else if (tag.is(u"div") && !tag.closing)
            open.push_back(tag.start);
        else if (tag.is(u"div") && !open.empty())
            open.pop_back();
    }
    reach(page.size(), false);
    return around;
}

} // namespace

namespace SourceReplies {

SourceWords shenmaSuggestions(const QString& reply)
{
    // JSON, or JSON handed to a callback ("window.shenma.sug({...});").
    const qsizetype open = reply.indexOf(u'{');
    const qsizetype close = reply.lastIndexOf(u'}');
    if (open < 0 || close < open)
        return {};
    return JsonReplies::listed(QStringView(reply).sliced(open, close - open + 1), QStringLiteral("r"),
                               QStringLiteral("w"));
}

SourceWords shenmaRelated(const QString& page, const QString& seed, const QUrl& address)
{
    static const PageBlocks::Signs signs{{}, {QStringLiteral("relative-keywords")}, {}};
    const QStringList keys{QStringLiteral("q")};
    QList<QStringView> cards = PageBlocks::blocks(page, signs);
    // A card of another markup is the smallest div around its heading that links to other searches.
    std::vector<qsizetype> headings;
    for (const QStringView heading : {u"相关搜索", u"大家还在搜", u"其他人还在搜"}) {
        for (qsizetype at = page.indexOf(heading); at >= 0 && headings.size() < 8; at = page.indexOf(heading, at + 1))
            headings.push_back(at);
    }
    std::sort(headings.begin(), headings.end());
    const std::vector<std::vector<qsizetype>> around = openAround(page, headings);
    for (size_t i = 0; i < headings.size(); ++i) {
        const bool taken = std::any_of(cards.cbegin(), cards.cend(), [&](QStringView card) {
            const qsizetype start = card.data() - page.constData();
            return headings[i] >= start && headings[i] < start + card.size();
        });
        if (taken)
            continue;
        for (const qsizetype start : around[i]) {
            // A card is a few kilobytes; a div that runs on further is not one.
            const QStringView card = PageBlocks::element(page, start, 64 * 1024);
            if (!card.isEmpty() && !PageBlocks::searchTexts({card}, address, keys, isResultSearch, seed).isEmpty()) {
                cards.append(card);
                break;
            }
        }
    }
    std::sort(cards.begin(), cards.end(), [](QStringView a, QStringView b) { return a.data() < b.data(); });
    return {PageBlocks::searchTexts(cards, address, keys, isResultSearch, seed), !cards.isEmpty()};
}

} // namespace SourceReplies
