#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// One reply of Baidu to the long-tail search, with what it takes to tell a block from an answer.
struct FetchReply
{
    QString text;    // the body, decoded
    int status = 0;  // the HTTP status; 0 when no answer came (refused, reset, time-out)
    QUrl requested;  // the address asked
    QUrl finalUrl;   // where the redirects ended
    QByteArray body; // the bytes as they came: a verification page is UTF-8 whatever was asked
    QByteArray contentType;
    bool proxyFailed = false; // no answer because the proxy asked through could not be reached
};

// What the search does with a reply.
struct ReplyCheck
{
    enum class Verdict
    {
        Answer,         // an answer, to be cut as usual
        Blocked,        // Baidu distrusts the client: pause and try the same seed later
        NetworkFailure, // no answer at all
        ProxyFailure,   // no answer: the proxy asked through could not be reached
    };
    Verdict verdict = Verdict::Answer;
    QString reason; // for a block: what the user is told
};

namespace SearchReply {

// Redirects to a verification host or path, 403 and 429, and verification pages are blocks; service
// names the one asked in what the user is told.
ReplyCheck check(const FetchReply& reply, const QString& service = QStringLiteral("百度"));
// A verification host or path, where a service sends a client it distrusts.
bool isVerificationAddress(const QUrl& url);
// Whether a suggestion reply is the suggestion script itself (it starts with the callback named in the
// request); anything else yields no keywords.
bool isSuggestionScript(const QString& reply, const QString& callback);

} // namespace SearchReply
