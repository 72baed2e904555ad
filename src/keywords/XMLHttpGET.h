#pragma once

#include "keywords/SearchReply.h"

#include <QString>
#include <chrono>
#include <functional>

class HttpClient;
class QObject;

// Fetches a URL with GET through the keyword search's own HTTP client, as a desktop browser asks
// (browserHeaders), and hands the reply to done: the body as text (bm 0 decodes the ANSI code page, 1
// UTF-8, 2 the charset the reply names), the status and where redirects ended. Redirects are followed
// within the registrable domain of the address asked; one to a verification address is not followed
// but handed over as it is (a block). A request that cannot be made (no client, a bad address), fails,
// gets no answer within the time-out, is sent elsewhere, or brings kMaxReplyBytes or more (as it
// arrives, decompressed) hands over status 0 and no text. done runs on the caller's thread, and not at
// all once context is gone.
void XMLHttpGET(HttpClient* network, const QString& url, int bm, QObject* context,
                std::function<void(const FetchReply&)> done, const QString& referer = {},
                std::chrono::milliseconds timeout = std::chrono::seconds(30));

constexpr qint64 kMaxReplyBytes = 4 * 1024 * 1024;

// A reply's text by the charset of its Content-Type (UTF-8 or GBK and its relatives); without one, UTF-8
// when the bytes are valid UTF-8, else the ANSI code page.
QString decodeByCharset(const QByteArray& body, const QByteArray& contentType);

// The headers every request of the search carries, in one place.
struct BrowserHeaders
{
    static QByteArray userAgent();
    static QByteArray acceptLanguage();
    static QByteArray accept();
};
