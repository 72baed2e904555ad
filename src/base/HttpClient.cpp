#include "base/HttpClient.h"

#include "base/ModuleLoader.h"

namespace {

CreateHttpClientFunction factory(QString* error)
{
    static CreateHttpClientFunction create = nullptr;
    if (!create)
        create = reinterpret_cast<CreateHttpClientFunction>(
            ModuleLoader::resolve(QStringLiteral("quillon_network"), QUILLON_CREATE_HTTP_CLIENT, error));
    return create;
}

} // namespace

std::unique_ptr<HttpClient> HttpClient::create(QString* error)
{
    const CreateHttpClientFunction create = factory(error);
    return std::unique_ptr<HttpClient>(create ? create() : nullptr);
}

bool HttpClient::available(QString* error)
{
    return factory(error) != nullptr;
}
