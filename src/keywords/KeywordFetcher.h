#pragma once

#include "keywords/KeywordSource.h"

#include <functional>
#include <map>
#include <memory>

class HttpClient;
class QObject;

// What the long-tail search asks with: one request, its reply handed to done on this thread, never
// once context is gone. Tests answer with a fetcher of their own.
class KeywordFetcher
{
public:
    virtual ~KeywordFetcher() = default;
    virtual void fetch(const SourceRequest& request, QObject* context, std::function<void(const FetchReply&)> done) = 0;
};

// The search's own HTTP clients, apart from the service link: one as the system's settings say, and one
// per proxy asked through (each keeps its own cookies, as a browser behind that address would).
class NetworkKeywordFetcher final : public KeywordFetcher
{
public:
    NetworkKeywordFetcher();
    ~NetworkKeywordFetcher() override;
    void fetch(const SourceRequest& request, QObject* context, std::function<void(const FetchReply&)> done) override;

private:
    HttpClient* clientFor(const QUrl& proxy);

    std::unique_ptr<HttpClient> m_client;
    std::map<QString, std::unique_ptr<HttpClient>> m_proxied;
};
