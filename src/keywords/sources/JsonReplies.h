#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

struct SourceWords;

// The JSON that suggestion services answer with.
namespace JsonReplies {

// The strings of a JSON array of objects, each object's member key.
QStringList memberStrings(const QJsonValue& array, const QString& key);
// The strings of the objects of the array listed under a reply's member list; readable when the reply is
// a JSON object (a service with nothing to suggest may leave the list out).
SourceWords listed(QStringView reply, const QString& list, const QString& key);
// The object a reply holds; empty for anything else.
QJsonObject object(QStringView reply);

} // namespace JsonReplies
