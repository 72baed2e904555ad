#pragma once

#include <QString>
#include <optional>

// The names of a site group's material, checked as a user types or pastes them: main domains against the
// Public Suffix List (libpsl, with the list of Debian's publicsuffix package, the private part included,
// as browsers read it) and sub-domain identifiers as DNS labels.
namespace SiteNames {

struct Checked
{
    enum class Verdict
    {
        Kept,    // as written
        Changed, // value is what it becomes (the registrable domain, or the identifier in lower case)
        Refused, // reason says why, in Chinese
    };
    Verdict verdict = Verdict::Refused;
    QString value;
    QString reason;
};

// A main domain: a scheme, path, port, trailing dot, upper case and any sub-domain taken off, leaving the
// registrable domain ("shop.example.com.cn" becomes "example.com.cn"). Refused: a public suffix itself, an
// IP address, a label over 63 or a name over 253 characters, characters a host cannot hold, a name under
// no known suffix. An internationalized name is checked through its ASCII form and kept as written.
Checked domain(const QString& text);
// A sub-domain identifier: a DNS label (letters, digits, hyphens not at either end, at most 63), kept in
// lower case.
Checked identifier(const QString& text);
// The number of sites of an identifier: a whole number from 1 to 100,000.
std::optional<int> siteCount(const QString& text);
constexpr int kMaxSiteCount = 100000;

// The registrable domain of a host (lower case), by the same list: one site whatever its sub-domain. A
// host that has none (an address, a suffix, a name under no known suffix) is its own.
QString registrableDomain(const QString& host);

} // namespace SiteNames
