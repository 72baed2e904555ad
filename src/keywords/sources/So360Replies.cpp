#include "keywords/sources/JsonReplies.h"
#include "keywords/sources/PageBlocks.h"
#include "keywords/sources/SourceReplies.h"

namespace SourceReplies {

QStringList so360Suggestions(const QString& reply)
{
    return JsonReplies::memberStrings(JsonReplies::object(reply).value(u"result"), QStringLiteral("word"));
}

QStringList so360Related(const QString& page, const QUrl& address)
{
    // A link of the box that is not a search (反馈) is no word.
    static const PageBlocks::Signs signs{{QStringLiteral("rs")}, {}, {}};
    return PageBlocks::searchTexts(PageBlocks::blocks(page, signs), address, {QStringLiteral("q")});
}

} // namespace SourceReplies
