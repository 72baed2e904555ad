#pragma once

#include "keywords/KeywordFilter.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>

class KeywordSource;

// What keywords.ini in the program folder says about the long-tail search:
//   [hosts]   one base (scheme, host, optional port) per source's host key
//   [search]  sources=, after-seed=, skip-asked=, depth=, timeout= (seconds a request may take in all),
//             expand= (az, digits, words: what suggestion sources ask after each seed), unreadable= (answers
//             in a row without what a source reads that set it aside; 0: never)
//   [expand]  words= (| between them; the question words by default)
//   [filter]  exclude=, include=
//   [proxies] one a line: http://[user:password@]host:port or socks5://…
// Without the file, or without a key, the search is the classic one: 一级 or 二级 chosen in the window,
// a second's rest after each seed, every pass asking every line again, and no end of its own.
struct SearchSettings
{
    QStringList sources;        // names; empty: the window's 一级/二级 chooses
    QStringList unknownSources; // named in sources= but not known: left out
    std::chrono::milliseconds afterSeed{1000};
    bool skipAsked = false;
    int depth = 0; // 0: no limit; N: words found at pass N or later are not searched
    std::chrono::milliseconds fetchTimeout{30000};
    int unreadable = 5;
    QStringList expand; // of "az", "digits", "words", in that order
    QStringList expandWords = defaultExpandWords();
    QStringList exclude;
    QStringList include;
    QHash<QString, QString> hosts; // by host key, as the file has them
    QList<QUrl> proxies;           // asked through in turn; none: the system's settings
    QList<int> badProxyLines;      // lines of the list (from 1) that name no proxy: left out

    static SearchSettings load(const QString& iniPath);
    // Writes the values of [search] and [filter], keeping every other line of the file as it was.
    bool save(const QString& iniPath, QString* error = nullptr) const;

    // The base a source asks: the file's, else the source's own.
    QString host(const KeywordSource& source) const;
    KeywordFilter filter() const { return KeywordFilter(exclude, include); }

    static std::chrono::milliseconds minimumAfterSeed() { return std::chrono::seconds(1); }

    // What a suggestion source asks after a seed, in order: each letter, each digit, each word.
    QStringList expansions() const;
    // The seed with an expansion: directly after a seed that ends in a Chinese character or before one
    // that starts with one ("手机a", "iphone怎么"), after a space otherwise ("iphone a").
    static QString expandedQuery(const QString& seed, const QString& expansion);
    static const QStringList& expandKinds();
    static QStringList defaultExpandWords();

    // The proxies of a list, one a line (blank lines and lines starting with ; or # aside); lines that
    // name none are counted in bad, by their number.
    static QList<QUrl> parseProxies(const QStringList& lines, QList<int>* bad = nullptr);
    // How a proxy is named to the user: its scheme, host and port, never its password.
    static QString proxyName(const QUrl& proxy);
};

// Sets keys of an INI file and keeps the rest of it (other keys, other sections, comments) as it was.
// values holds "section/key" = value; a key that is not there yet is added at the end of its section.
bool updateIniFile(const QString& path, const QList<std::pair<QString, QString>>& values, QString* error = nullptr);
