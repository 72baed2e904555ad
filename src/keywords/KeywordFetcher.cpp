#include "keywords/KeywordFetcher.h"

#include "base/HttpClient.h"
#include "keywords/XMLHttpGET.h"

NetworkKeywordFetcher::NetworkKeywordFetcher() : m_client(HttpClient::create()) {}

NetworkKeywordFetcher::~NetworkKeywordFetcher() = default;

void NetworkKeywordFetcher::fetch(const SourceRequest& request, QObject* context,
                                  std::function<void(const FetchReply&)> done)
{
    XMLHttpGET(clientFor(request.proxy), request.url, request.bm, context, std::move(done), request.referer,
               request.timeout);
}

HttpClient* NetworkKeywordFetcher::clientFor(const QUrl& proxy)
{
    if (proxy.isEmpty())
        return m_client.get();
    std::unique_ptr<HttpClient>& client = m_proxied[proxy.toString()];
    if (!client) {
        client = HttpClient::create();
        if (client)
            client->setProxy(proxy);
    }
    return client.get();
}
