// The worst result pages a related-search parser (and the check for a block before it) may be sent: 4 MiB of tags that
// never close, around the marks the parsers look for. Each parse must stay well under 100 ms, since it runs on the
// thread of the window; beside it, grep counting the same tags in the same page. Among them, boxes of distinct links
// (every one a new word) and the heading a card is found by, after 4 MiB of divs.
#include "BenchSupport.h"
#include "keywords/KeywordSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr qsizetype kPageBytes = 4 * 1024 * 1024;

// A page of one shape repeated to 4 MiB.
QString repeated(const QString& shape)
{
    QString page = QStringLiteral("<html><body>");
    while (page.size() < kPageBytes)
        page += shape;
    return page;
}

// A box holding 4 MiB of distinct closed links: every link a new word, as a hostile page would have it.
QString distinctLinks(const QString& open, const QString& link, const QString& close)
{
    QString page = QStringLiteral("<html><body>") + open;
    for (int n = 0; page.size() < kPageBytes; ++n)
        page += link.arg(n);
    return page + close;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString shapes[] = {
        QStringLiteral("<a href=x>词"),
        QStringLiteral("<a "),
        QStringLiteral("<div "),
        QStringLiteral("<div id=\"relativewords\"><div class=\"rw-list\"><a>"),
        QStringLiteral("<div tpl=\"recommend_list\" "),
        QStringLiteral("<div id=rs_new><table><tr><td><a>"),
        QStringLiteral("<div id=\"rs\"><a href=\"/s?q=x\">"),
        QStringLiteral("<div id=hint_container><a href='/web?query=x'>&#40092;"),
        QStringLiteral("<div>相关搜索<a href=\"/s?q=x\">"),
        QStringLiteral("&amp"),
    };
    QList<std::pair<QString, QString>> pages;
    for (const QString& shape : shapes)
        pages.append({shape.left(24), repeated(shape)});
    pages.append({QStringLiteral("links in div#rs"),
                  distinctLinks(QStringLiteral("<div id=\"rs\">"), QStringLiteral("<a href=\"/s?wd=%1&q=%1\">%1</a>"),
                                QStringLiteral("</div>"))});
    pages.append({QStringLiteral("links in table#hint_container"),
                  distinctLinks(QStringLiteral("<table id=\"hint_container\"><tr><td>"),
                                QStringLiteral("<a href=\"?query=%1\">%1</a>"), QStringLiteral("</td></tr></table>"))});
    pages.append({QStringLiteral("links in a related card"),
                  distinctLinks(QStringLiteral("<div tpl=\"recommend_list\" class=\"relative-keywords rw-list\">"
                                               "<h2>相关搜索</h2><ul>"),
                                QStringLiteral("<li><a href=\"/s?word=%1&wd=%1&q=%1\">%1</a></li>"),
                                QStringLiteral("</ul></div>"))});
    {
        QString headings = repeated(QStringLiteral("<div>"));
        for (int i = 0; i < 8; ++i)
            headings += QStringLiteral("<div><h2>") +
                        QStringList{u"相关搜索"_qs, u"大家还在搜"_qs, u"其他人还在搜"_qs}[i % 3] +
                        QStringLiteral("</h2><a href=\"/s?q=x\">x</a></div>");
        pages.append({QStringLiteral("4 MiB of divs before headings"), headings});
    }
    QTemporaryDir dir;
    for (const auto& [name, page] : pages) {
        FetchReply reply{page, 200};
        reply.body = page.toUtf8();
        reply.requested = QUrl(QStringLiteral("https://m.sm.cn/s?q=seed"));
        double worst = 0;
        double checkWorst = 0;
        for (const KeywordSource& source : KeywordSource::all()) {
            if (source.suggests())
                continue;
            QElapsedTimer timer;
            timer.start();
            const ReplyCheck check = source.check(reply); // whether the page is a block is asked first
            checkWorst = std::max(checkWorst, timer.nsecsElapsed() / 1e6);
            timer.restart();
            const QStringList words = source.keywords(reply);
            Q_UNUSED(check);
            worst = std::max(worst, timer.nsecsElapsed() / 1e6);
            if (qEnvironmentVariableIsSet("BENCH_EACH"))
                qInfo("  %s %.1f ms", qPrintable(source.name), timer.nsecsElapsed() / 1e6);
            Q_UNUSED(words);
        }
        QFile file(dir.filePath(QStringLiteral("page.html")));
        file.open(QIODevice::WriteOnly);
        file.write(reply.body);
        file.close();
        const double grepMs =
            Bench::timeCommand(QStringLiteral("grep -o '<[ad]' %1 | wc -l >/dev/null").arg(file.fileName()));
        const QByteArray what = "parse 4 MiB: " + name.toUtf8();
        Bench::report(what.constData(), worst, "ms", "grep -o '<[ad]' | wc -l", grepMs);
        Bench::report("  block check of the same page", checkWorst, "ms", "grep -o '<[ad]' | wc -l", grepMs);
    }
    return 0;
}
