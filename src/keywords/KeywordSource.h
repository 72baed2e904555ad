#pragma once

#include "keywords/SearchReply.h"
#include "keywords/sources/SourceReplies.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>

// One request of the long-tail search: the address, the page it comes from (empty: none), and how its
// reply is decoded (XMLHttpGET's bm).
struct SourceRequest
{
    QString url;
    QString referer;
    int bm = 1;
    std::chrono::milliseconds timeout{30000}; // for the whole request
    QUrl proxy;                               // asked through; empty: as the system says
};

// A service the long-tail search asks for longer keywords: its request and reply rules and how it
// tells that it distrusts the client.
class KeywordSource
{
public:
    enum class Kind
    {
        BaiduSuggest,
        BaiduRelated,
        BaiduMobileSuggest,
        BaiduMobileRelated,
        So360Suggest,
        SogouSuggest,
        ShenmaSuggest,
        So360Related,
        SogouRelated,
        ShenmaRelated,
    };

    Kind kind;
    QString name;        // as named in keywords.ini, the status line and exports
    QString hostKey;     // its key in [hosts] of keywords.ini
    QString defaultHost; // scheme and host without the file
    QString service;     // the service's own name, for what the user is told
    QString caption;     // for the settings

    SourceRequest request(const QString& host, const QString& seed) const;
    ReplyCheck check(const FetchReply& reply) const { return SearchReply::check(reply, service); }
    // The keywords of a reply that is an answer, in the reply's order, and whether the reply holds what
    // the source reads (its block, its script or JSON) at all.
    SourceWords read(const FetchReply& reply) const;
    QStringList keywords(const FetchReply& reply) const { return read(reply).words; }
    // Whether it suggests as a seed is typed (then each expansion of a seed is asked too), rather than
    // reading a result page.
    bool suggests() const;
    // The engine whose result count its pages state, its place among resultEngines(); -1: none.
    int resultEngine() const;
    // The engines whose desktop result pages say how many results they hold: 百度, 360, 搜狗.
    static const QStringList& resultEngines();

    // Every source, in the order of the settings.
    static const QList<KeywordSource>& all();
    static const KeywordSource* find(QStringView name);
    // Its place among all().
    static int indexOf(const KeywordSource& source) { return int(&source - all().constData()); }
    // The names of all sources, separated by ", ".
    static QString names();
};
