#pragma once

#include "keywords/KeywordSource.h"

#include <functional>
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

// The search's own HTTP client, apart from the service link.
class NetworkKeywordFetcher final : public KeywordFetcher
{
public:
    NetworkKeywordFetcher();
    ~NetworkKeywordFetcher() override;
    void fetch(const SourceRequest& request, QObject* context, std::function<void(const FetchReply&)> done) override;

private:
    std::unique_ptr<HttpClient> m_client;
};
