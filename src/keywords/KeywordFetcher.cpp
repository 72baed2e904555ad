#include "keywords/KeywordFetcher.h"

#include "base/HttpClient.h"
#include "keywords/XMLHttpGET.h"

NetworkKeywordFetcher::NetworkKeywordFetcher() : m_client(HttpClient::create()) {}

NetworkKeywordFetcher::~NetworkKeywordFetcher() = default;

void NetworkKeywordFetcher::fetch(const SourceRequest& request, QObject* context,
                                  std::function<void(const FetchReply&)> done)
{
    XMLHttpGET(m_client.get(), request.url, request.bm, context, std::move(done), request.referer, request.timeout);
}
