#pragma once

#include "keywords/SearchReply.h"

#include <QString>
#include <chrono>
#include <functional>

class HttpClient;
class QObject;

// Fetches a URL with GET through the keyword search's own HTTP client, as a desktop browser asks
// (browserHeaders), and hands the reply to done: the body as text (bm 0 decodes the ANSI code page, any
// other value UTF-8), the status and where redirects ended. A request that cannot be made (no client,
// a bad address), fails, or gets no answer within the time-out hands over status 0 and no text. done
// runs on the caller's thread, and not at all once context is gone.
void XMLHttpGET(HttpClient* network, const QString& url, int bm, QObject* context,
                std::function<void(const FetchReply&)> done, const QString& referer = {},
                std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The headers every request of the search carries, in one place.
struct BrowserHeaders
{
    static QByteArray userAgent();
    static QByteArray acceptLanguage();
    static QByteArray accept();
};

// The bases of the two Baidu endpoints: keywords.ini beside the executable, section [hosts], keys
// suggest and search; Baidu's own hosts without the file.
struct KeywordHosts
{
    QString suggest;
    QString search;

    static KeywordHosts load();
};
