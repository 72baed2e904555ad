#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Text rules of the keyword list and the long-tail search, apart from any window.
namespace KeywordRules {

// The distinct lines of a text split at line ends, first occurrence kept, in reverse order: the line
// nearest the bottom first. Empty lines and lines of exactly one space or one ideographic space are
// dropped; lines are compared whole and case-sensitively. Linear in the size of the text; the lines
// are views into it.
// The list has always been described as a string of "|#|" line "|*|" entries searched with a substring
// test. For every text in which no line holds a "|" and no line is exactly "*", that description and
// this routine give the same lines. Outside that scope the marker string matched across entries or cut
// lines apart when its markers were removed ("#|a" hid a later "a", and "*", "a|*" or "*|a" came out
// mangled); whole-line comparison is kept there on purpose.
std::vector<QStringView> DistinctLines(QStringView text);
// The same over UTF-8 text: the lines of a long list without converting it.
std::vector<QByteArrayView> DistinctLines(QByteArrayView utf8);

// The result list as word.txt holds it: spaces trimmed at both ends, CR LF line ends, one CR LF after.
QByteArray keywordFileBytes(QStringView boxText);

// The keywords of a suggestion reply (the list between the first "[" and the first "]"), or nothing
// when the reply has no list.
QStringList SuggestionPieces(const QString& reply);
// What one reply may give: at most this many keywords, each at most this long.
constexpr qsizetype kMaxKeywordsPerReply = 100;
constexpr qsizetype kMaxKeywordLength = 100;
// Whether a found keyword may go into the list, from where it becomes text on the customer's pages and a
// piece of the upload's "|*|"-joined list: not too long; nothing that ends an HTML tag or attribute
// (< > " ' `); no piece of the list marker (|* or *|); nothing invisible or that reorders text (control
// and format characters, line and paragraph separators), no lone surrogate, private-use or unassigned
// code point, nothing undecodable.
bool isInsertable(QStringView keyword);
// Whether a line of the list would be cut by the service where it splits the upload at "|*|": one that
// holds the marker, ends with "|*" or starts with "*|".
bool splitsInUpload(QStringView line);

// The callback a suggestion request names; its reply starts with it.
QString suggestionCallback();
QString suggestionUrl(const QString& base, const QString& keyword);
QString searchUrl(const QString& base, const QString& keyword);

} // namespace KeywordRules
