#include "keywords/sources/JsonReplies.h"

#include "keywords/sources/SourceReplies.h"

#include <QJsonArray>

namespace JsonReplies {

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

QJsonObject object(QStringView reply)
{
    return QJsonDocument::fromJson(reply.trimmed().toUtf8()).object();
}

SourceWords listed(QStringView reply, const QString& list, const QString& key)
{
    const QJsonDocument document = QJsonDocument::fromJson(reply.trimmed().toUtf8());
    return {memberStrings(document.object().value(list), key), document.isObject()};
}

} // namespace JsonReplies
