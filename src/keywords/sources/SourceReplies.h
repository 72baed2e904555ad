#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// What a reply gives: its words, and whether it holds what the source reads at all (a block of related
// searches, the suggestion script or JSON), so that a page the source can no longer read is told apart
// from one that only has no words.
struct SourceWords
{
    QStringList words;
    bool readable = false;
    // How many results the engine says it holds for the query, where its result page says so.
    std::optional<qint64> results;
};

// What each engine's replies hold, one file an engine, so that a page that changes touches one file. A
// result page's parser takes the page and its own address (links on it are resolved against it).
namespace SourceReplies {

// Baidu: the related box of the result page (the old marker's table, else #rs or #rs_new) and the
// "其他人还在搜" cards among the results (tpl="recommend_list"); the results, "找到相关结果约N个".
SourceWords baiduRelated(const QString& page, const QUrl& address = {});
// Baidu's mobile suggestions: JSON whose "g" is an array of objects with "q".
SourceWords baiduMobileSuggestions(const QString& reply);
// The related words of Baidu's mobile result page: the box at its foot (#relativewords) and the cards
// among the results (tpl="recommend_list").
SourceWords baiduMobileRelated(const QString& page, const QUrl& address = {});

// 360's suggestions: JSON whose "result" is an array of objects with "word".
SourceWords so360Suggestions(const QString& reply);
// The searches linked from the related box (#rs) of 360's result page; the results, "找到相关结果约N个".
SourceWords so360Related(const QString& page, const QUrl& address = {});

// Sogou's suggestions: window.sogou.sug(["Q",["a","b",…],…],-1); the words are element 1.
SourceWords sogouSuggestions(const QString& reply);
// The searches linked from the related box (#hint_container) and the block among the results
// (.hint-mid, "97%的人还搜了") of Sogou's result page; the results, "找到约N条相关结果".
SourceWords sogouRelated(const QString& page, const QUrl& address = {});

// Shenma's suggestions: JSON, or JSON handed to a callback, whose "r" is an array of objects with "w".
SourceWords shenmaSuggestions(const QString& reply);
// The searches linked from the related cards of Shenma's mobile result page (.relative-keywords, or the
// smallest block around "相关搜索", "大家还在搜" or "其他人还在搜"), the seed's own left out.
SourceWords shenmaRelated(const QString& page, const QString& seed, const QUrl& address = {});

} // namespace SourceReplies
