// The replies of every keyword source, decoded by the charset they name, proxy lists and word.sources.tsv.
#include "FuzzInput.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRecords.h"
#include "keywords/KeywordRules.h"
#include "keywords/KeywordSource.h"
#include "keywords/SearchSettings.h"
#include "keywords/WebText.h"
#include "keywords/XMLHttpGET.h"
#include "keywords/sources/SourceReplies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView body = FuzzInput::bytes(data, size);
    for (const QString& piece : KeywordRules::SuggestionPieces(TextCodec::fromAnsi(body)))
        FuzzInput::require(!piece.contains(u'"') && !piece.contains(u','));
    // A box with the old marker is cut at commas with the quotes taken out; today's box is read link by link,
    // and its texts may hold either.
    const QString page = bBytesToBstr(body.toByteArray());
    const bool oldBox =
        GetBody(QString(page).remove(u'"'), QStringLiteral("<div class=tt>相关搜索</div><table cellpadding=0><tr><th>"),
                QStringLiteral("</th></tr></table></div>"), false, false) != FalseMarker();
    for (const QString& piece : SourceReplies::baiduRelated(page).words)
        FuzzInput::require(!oldBox || (!piece.contains(u'"') && !piece.contains(u',')));

    // The first line is the Content-Type, the rest the body.
    const QList<QByteArray> parts = FuzzInput::parts(data, size, 2);
    FetchReply reply;
    reply.status = 200;
    reply.contentType = parts[0];
    reply.body = parts[1];
    reply.text = decodeByCharset(reply.body, reply.contentType);
    for (const KeywordSource& source : KeywordSource::all()) {
        source.check(reply);
        const SourceWords read = source.read(reply);
        FuzzInput::require(!read.results || *read.results >= 0);
    }

    // A proxy list: what is taken is a proxy Qt can be given.
    for (const QUrl& proxy : SearchSettings::parseProxies(QString::fromUtf8(body).split(u'\n')))
        FuzzInput::require((proxy.scheme() == u"http" || proxy.scheme() == u"socks5") && proxy.port() > 0 &&
                           !SearchSettings::proxyName(proxy).contains(u'@'));

    // Records read back as they were written, for a list of the input's lines.
    const KeywordRecords records = KeywordRecords::fromTsv(body);
    const QString list = QString::fromUtf8(body);
    const QByteArray tsv = records.toTsv(list);
    FuzzInput::require(KeywordRecords::fromTsv(tsv).toTsv(list) == tsv);
    return 0;
}
