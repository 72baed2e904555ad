// The worst result pages a related-search parser may be sent: 4 MiB of tags that never close, around
// the marks the parsers look for. Each parse must stay well under 100 ms, since it runs on the thread of
// the window; beside it, grep counting the same tags in the same page.
#include "BenchSupport.h"
#include "keywords/KeywordSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    constexpr qsizetype kPageBytes = 4 * 1024 * 1024;
    const QStringList shapes{
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
    QTemporaryDir dir;
    for (const QString& shape : shapes) {
        QString page = QStringLiteral("<html><body>");
        while (page.size() < kPageBytes)
            page += shape;
        FetchReply reply{page, 200};
        reply.body = page.toUtf8();
        double worst = 0;
        for (const KeywordSource& source : KeywordSource::all()) {
            if (source.suggests())
                continue;
            QElapsedTimer timer;
            timer.start();
            const QStringList words = source.keywords(reply);
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
        const QByteArray what = "parse 4 MiB of \"" + shape.left(24).toUtf8() + "\"";
        Bench::report(what.constData(), worst, "ms", "grep -o '<[ad]' | wc -l", grepMs);
    }
    return 0;
}
