#include "keywords/sources/PageBlocks.h"
#include "keywords/sources/SourceReplies.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace SourceReplies {

SourceWords sogouSuggestions(const QString& reply)
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
    SourceWords words{{}, true};
    for (const QJsonValue word : call.at(0).toArray().at(1).toArray()) {
        if (word.isString())
            words.words.append(word.toString());
    }
    return words;
}

SourceWords sogouRelated(const QString& page, const QUrl& address)
{
    // The box at the foot is a table (#hint_container) and a block among the results is a div (.hint-mid);
    // their links are relative ("?…&query=…") and their texts character references.
    static const PageBlocks::Signs signs{{QStringLiteral("hint_container")}, {QStringLiteral("hint-mid")}, {}};
    const QList<QStringView> blocks = PageBlocks::blocks(page, signs);
    return {PageBlocks::searchTexts(blocks, address, {QStringLiteral("query")}), !blocks.isEmpty(),
            PageBlocks::statedNumber(page, u"找到", u"条相关结果")};
}

} // namespace SourceReplies
