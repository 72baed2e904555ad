#pragma once

#include <QString>
#include <chrono>
#include <functional>

class QNetworkAccessManager;
class QObject;

// Fetches a URL with GET through the keyword search's own network manager and hands the reply body to done as text: bm
// 0 decodes the ANSI code page, any other value UTF-8. The HTTP status plays no part. A request that cannot be made,
// fails, or gets no answer within the time-out hands over an empty text. done runs on the caller's thread, and not at
// all once context is gone.
void XMLHttpGET(QNetworkAccessManager& network, const QString& url, int bm, QObject* context,
                std::function<void(const QString&)> done, std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The bases of the two Baidu endpoints: keywords.ini beside the executable, section [hosts], keys
// suggest and search; Baidu's own hosts without the file.
struct KeywordHosts
{
    QString suggest;
    QString search;

    static KeywordHosts load();
};
