#include "miner/MinerOptions.h"

#include "base/AppInfo.h"
#include "base/AppPaths.h"
#include "keywords/KeywordSource.h"
#include "keywords/SearchSettings.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

MinerOptions failure(const QString& text)
{
    MinerOptions options;
    options.action = MinerOptions::Action::Fail;
    options.text = text;
    return options;
}

// A count of the command line: a whole number above 0.
std::optional<int> count(const QString& value)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number <= 0)
        return std::nullopt;
    return number;
}

} // namespace

MinerOptions MinerOptions::parse(const QStringList& arguments, const QString& executableFolder,
                                 const QString& userFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("挖掘长尾关键词，不需要窗口：与“关键词”窗口用同一个搜索，按 keywords.ini 的设置。\n"
                       "没有 --out 时，找到的词放在程序文件夹 word.txt 的最前面。\n"
                       "退出码：0 正常结束（轮数、时间到，没有新词，或按了 Ctrl+C）；3 结束时所有来源都被封或不通；\n4 "
                       "所有来源的网页都读不出要找的内容（网页可能已改版，最后一页存在程序文件夹的 unread 里）；\n2 "
                       "参数有误；1 无法开始（种子词文件打不开，或没有可搜索的词）。"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("程序文件夹（数据库、keywords.ini、word.txt）。"),
                                 QStringLiteral("PATH"));
    const QCommandLineOption seeds(QStringLiteral("seeds"),
                                   QStringLiteral("种子词文件，每行一个（UTF-8 或 GB18030）；- 为标准输入。"
                                                  "不给时用数据库 Word 表的词。"),
                                   QStringLiteral("FILE"));
    const QCommandLineOption sources(QStringLiteral("sources"),
                                     QStringLiteral("来源，用逗号分开，代替 keywords.ini 的 sources=：") +
                                         KeywordSource::names() + u'。',
                                     QStringLiteral("LIST"));
    const QCommandLineOption expand(
        QStringLiteral("expand"),
        QStringLiteral("联想词来源在每个词后再搜的扩展，用逗号分开，代替 keywords.ini 的 "
                       "expand=：az（字母）、digits（数字）、words（疑问词）；none 为不扩展。"),
        QStringLiteral("LIST"));
    const QCommandLineOption sort(QStringLiteral("sort"),
                                  QStringLiteral("count：找到的词按次数（提示它的来源与来源词的组数）从多到少写出；"
                                                 "results：按结果数（搜索引擎说有多少条结果，取最少的）从少到多写出，"
                                                 "没有结果数的词在最后。"),
                                  QStringLiteral("count|results"));
    const QCommandLineOption proxies(QStringLiteral("proxies"),
                                     QStringLiteral("代理列表，每行一个：http://[用户:密码@]主机:端口 或 socks5://…；"
                                                    "代替 keywords.ini 的 [proxies]。被封时换下一个代理。"),
                                     QStringLiteral("FILE"));
    const QCommandLineOption passes(QStringLiteral("passes"), QStringLiteral("搜完 N 轮后停止。"), QStringLiteral("N"));
    const QCommandLineOption minutes(QStringLiteral("minutes"), QStringLiteral("M 分钟后停止。"), QStringLiteral("M"));
    const QCommandLineOption giveUp(
        QStringLiteral("give-up"),
        QStringLiteral("所有来源连续被封或不通 M 分钟后结束（从最后一次有来源回答算起；默认 30，可带小数，最多 "
                       "10080，即一周），退出码 3。"),
        QStringLiteral("M"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("把找到的词写到这个文件，而不是 word.txt。"),
                                 QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("--out 的格式：txt、csv 或 xlsx；默认按扩展名。"),
                                    QStringLiteral("txt|csv|xlsx"));
    parser.addOptions({dir, seeds, sources, expand, proxies, passes, minutes, giveUp, out, format, sort});

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failure(u"多余的参数：" + parser.positionalArguments().join(u' '));

    MinerOptions options;
    options.programFolder = AppPaths::chooseProgramFolder(parser.value(dir), executableFolder, userFolder);
    if (parser.isSet(help)) {
        options.action = Action::ShowHelp;
        options.text = parser.helpText() + u"\n程序文件夹：" + options.programFolder;
        return options;
    }
    if (parser.isSet(version)) {
        options.action = Action::ShowVersion;
        options.text = QStringLiteral("quillon-mine ") + AppInfo::version();
        return options;
    }
    options.seedsFile = parser.value(seeds);
    if (parser.isSet(sources)) {
        QStringList names;
        for (const QString& name : parser.value(sources).split(u',', Qt::SkipEmptyParts)) {
            const QString source = name.trimmed();
            if (!KeywordSource::find(source))
                return failure(u"未知的来源：" + source + u"（可用：" + KeywordSource::names() + u"）");
            if (!names.contains(source))
                names.append(source);
        }
        if (names.isEmpty())
            return failure(u"--sources 没有给出来源（可用：" + KeywordSource::names() + u"）");
        options.sources = names;
    }
    if (parser.isSet(expand)) {
        QStringList kinds;
        for (const QString& name : parser.value(expand).split(u',', Qt::SkipEmptyParts)) {
            const QString kind = name.trimmed();
            if (kind != u"none" && !SearchSettings::expandKinds().contains(kind))
                return failure(u"未知的扩展：" + kind + u"（可用：az、digits、words、none）");
            if (kind != u"none" && !kinds.contains(kind))
                kinds.append(kind);
        }
        options.expand = kinds;
    }
    if (parser.isSet(proxies)) {
        QFile file(parser.value(proxies));
        if (!file.open(QIODevice::ReadOnly))
            return failure(u"打不开代理列表 " + file.fileName() + u"：" + file.errorString());
        QList<int> bad;
        options.proxies = SearchSettings::parseProxies(QString::fromUtf8(file.readAll()).split(u'\n'), &bad);
        if (!bad.isEmpty()) // the line may hold a password: only its number is told
            return failure(QStringLiteral("代理列表 %1 第 %2 行不是代理地址").arg(file.fileName()).arg(bad.first()));
        if (options.proxies->isEmpty())
            return failure(u"代理列表 " + file.fileName() + u" 里没有代理");
    }
    if (parser.isSet(sort)) {
        if (parser.value(sort) == u"count")
            options.sort = MinerOptions::Sort::Count;
        else if (parser.value(sort) == u"results")
            options.sort = MinerOptions::Sort::Results;
        else
            return failure(u"未知的排序：" + parser.value(sort) + u"（可用：count、results）");
    }
    for (const auto& [option, target, name] : {std::tuple{&passes, &options.passes, QStringLiteral("--passes")},
                                               std::tuple{&minutes, &options.minutes, QStringLiteral("--minutes")}}) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<int> number = count(parser.value(*option));
        if (!number)
            return failure(name + u" 需要一个正整数，不是“" + parser.value(*option) + u"”");
        *target = *number;
    }
    if (parser.isSet(giveUp)) {
        bool ok = false;
        options.giveUpMinutes = parser.value(giveUp).toDouble(&ok);
        // A week at most: beyond it, or inf or nan, a timer's milliseconds would wrap round.
        if (!ok || !(options.giveUpMinutes > 0 && options.giveUpMinutes <= kMaxGiveUpMinutes))
            return failure(u"--give-up 需要 0 到 10080 之间的分钟数（最多一周），不是“" + parser.value(giveUp) + u"”");
    }
    options.out = parser.value(out);
    if (!options.out.isEmpty()) {
        if (const QString problem = KeywordExport::targetProblem(options.out, options.programFolder);
            !problem.isEmpty())
            return failure(problem);
    }
    if (parser.isSet(format)) {
        const std::optional<KeywordExport::Format> named = KeywordExport::formatNamed(parser.value(format));
        if (!named)
            return failure(u"未知的格式：" + parser.value(format) + u"（可用：txt、csv、xlsx）");
        options.format = *named;
    } else if (!options.out.isEmpty()) {
        const std::optional<KeywordExport::Format> byName = KeywordExport::formatOf(options.out);
        if (!byName)
            return failure(u"看不出 " + options.out + u" 的格式：请用 .txt、.csv 或 .xlsx 结尾，或给出 --format");
        options.format = *byName;
    }
    return options;
}
