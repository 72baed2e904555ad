#include "keywords/sources/JsonReplies.h"
#include "keywords/sources/PageBlocks.h"
#include "keywords/sources/SourceReplies.h"

namespace SourceReplies {

SourceWords so360Suggestions(const QString& reply)
{
    return JsonReplies::listed(reply, QStringLiteral("result"), QStringLiteral("word"));
}

SourceWords so360Related(const QString& page, const QUrl& address)
{
    // A link of the box that is not a search (反馈) is no word.
    static const PageBlocks::Signs signs{{QStringLiteral("rs")}, {}, {}};
    const QList<QStringView> blocks = PageBlocks::blocks(page, signs);
    return {PageBlocks::searchTexts(blocks, address, {QStringLiteral("q")}), !blocks.isEmpty(),
            PageBlocks::statedNumber(page, u"找到相关结果", u"个")};
}

} // namespace SourceReplies
