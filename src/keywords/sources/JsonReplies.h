#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

// The JSON that suggestion services answer with.
namespace JsonReplies {

// The strings of a JSON array of objects, each object's member key.
QStringList memberStrings(const QJsonValue& array, const QString& key);
// The object a reply holds; empty for anything else.
QJsonObject object(QStringView reply);

} // namespace JsonReplies
