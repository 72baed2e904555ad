#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Pages a source could no longer read, kept for whoever mends its parser: unread/<source>-<yyyyMMdd-HHmmss>.html
// under the program folder, readable by the user alone, the newest few kept.
namespace UnreadPages {

constexpr int kKept = 10;

// Writes the page and removes the oldest beyond kKept; the path written, empty when it could not be.
QString keep(const QString& folder, const QString& source, const QDateTime& when, const QByteArray& page);

} // namespace UnreadPages
