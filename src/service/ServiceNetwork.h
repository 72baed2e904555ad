#pragma once

class QNetworkAccessManager;

// The network manager of the service link. One per process, so the cookie the service sets at login
// travels with every later request, whichever window sends it.
namespace ServiceNetwork {

QNetworkAccessManager& manager();

} // namespace ServiceNetwork
