#include "keywords/WebText.h"
#include "keywords/sources/JsonReplies.h"
#include "keywords/sources/PageBlocks.h"
#include "keywords/sources/SourceReplies.h"

#include <QSet>
#include <optional>

namespace {

// Links to another search carry the query as wd (desktop) or word (mobile).
const QStringList& searchKeys()
{
    static const QStringList keys{QStringLiteral("wd"), QStringLiteral("word")};
    return keys;
}

// The box as the result page has long written it: cut at its marker, the link texts split at commas.
// Empty when the page has no such box.
std::optional<QStringList> markedBox(const QString& page)
{
    if (!page.contains(u"相关搜索"))
        return std::nullopt;
    QString text = page;
    text.remove(u'"');
    text = GetBody(text, QStringLiteral("<div class=tt>相关搜索</div><table cellpadding=0><tr><th>"),
                   QStringLiteral("</th></tr></table></div>"), false, false);
    if (text == FalseMarker())
        return std::nullopt;
    text.replace(QStringLiteral("</a></th><"), QStringLiteral(",</a></th><"));
    text = ClearHtml(text);
    if (text == FalseMarker() || text.isEmpty())
        return QStringList();
    return text.split(u',');
}

} // namespace

namespace SourceReplies {

SourceWords baiduRelated(const QString& page, const QUrl& address)
{
    static const PageBlocks::Signs signs{
        {QStringLiteral("rs"), QStringLiteral("rs_new")}, {}, {QStringLiteral("recommend_list")}};
    const QList<QStringView> blocks = PageBlocks::blocks(page, signs);
    // A page with the box's old marker is cut by it, and its cards are read after it; any other page is
    // read block by block.
    const std::optional<qint64> results = PageBlocks::statedNumber(page, u"找到相关结果", u"个");
    std::optional<QStringList> words = markedBox(page);
    if (!words)
        return {PageBlocks::searchTexts(blocks, address, searchKeys()), !blocks.isEmpty(), results};
    static const PageBlocks::Signs cards{{}, {}, {QStringLiteral("recommend_list")}};
    QList<QStringView> cardBlocks;
    for (const QStringView block : blocks) {
        if (cards.match(PageBlocks::nextTag(block, 0).in(block)))
            cardBlocks.append(block);
    }
    const QSet<QString> inBox(words->cbegin(), words->cend());
    for (const QString& word : PageBlocks::searchTexts(cardBlocks, address, searchKeys())) {
        if (!inBox.contains(word))
            words->append(word);
    }
    return {*words, true, results};
}

SourceWords baiduMobileSuggestions(const QString& reply)
{
    return JsonReplies::listed(reply, QStringLiteral("g"), QStringLiteral("q"));
}

SourceWords baiduMobileRelated(const QString& page, const QUrl& address)
{
    // A card's links go through a redirect; the search each stands for is its data-url.
    static const PageBlocks::Signs signs{{QStringLiteral("relativewords")},
                                         {QStringLiteral("rw-list"), QStringLiteral("se-relativewords")},
                                         {QStringLiteral("recommend_list")}};
    const QList<QStringView> blocks = PageBlocks::blocks(page, signs);
    return {PageBlocks::searchTexts(blocks, address, searchKeys()), !blocks.isEmpty()};
}

} // namespace SourceReplies
