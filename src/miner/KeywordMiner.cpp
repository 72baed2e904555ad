#include "miner/KeywordMiner.h"

#include "base/AppPaths.h"
#include "base/PrivateFiles.h"
#include "base/TextCodec.h"
#include "base/TextRules.h"
#include "keywords/KeywordExport.h"
#include "keywords/KeywordFetcher.h"
#include "keywords/KeywordFileLoader.h"
#include "keywords/KeywordRules.h"
#include "keywords/LongTailSearch.h"
#include "keywords/RecoveryFile.h"
#include "keywords/SearchClock.h"
#include "store/LocalStore.h"
#include "store/StoreQueries.h"

#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

void printError(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stderr);
}

// word.txt's bytes for the list: its last line end is the one the file format adds, so that a run adds no
// blank line at the end.
QByteArray fileBytes(QString list)
{
    if (list.endsWith(u'\n'))
        list.chop(1);
    return KeywordRules::keywordFileBytes(list);
}

QString wordFile()
{
    return AppPaths::filePath(QStringLiteral("word.txt"));
}

} // namespace

KeywordMiner::KeywordMiner(MinerOptions options, QObject* parent) : QObject(parent), m_options(std::move(options))
{
    m_toTerminal = ::isatty(STDERR_FILENO) == 1;
}

KeywordMiner::~KeywordMiner()
{
    if (m_signals) {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
}

void KeywordMiner::handleTerminationSignals()
{
    if (m_signals || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    // The handler only writes a byte; the run ends from the event loop.
    m_signals = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    connect(m_signals, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[1], &byte, 1);
        interrupt();
    });
    std::signal(SIGINT, onTerminationSignal);
    std::signal(SIGTERM, onTerminationSignal);
}

bool KeywordMiner::readSeeds(QStringList* seeds)
{
    if (m_options.seedsFile.isEmpty()) {
        if (!LocalStore::open(AppPaths::programFolder())) {
            printError(u"打不开数据库：" + AppPaths::filePath(QStringLiteral("data/db.sqlite")));
            return false;
        }
        *seeds = StoreQueries::keywordSeeds(LocalStore::connection());
        LocalStore::close();
        return true;
    }
    QFile file;
    const bool opened = m_options.seedsFile == u"-"
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(m_options.seedsFile), file.open(QIODevice::ReadOnly));
    if (!opened) {
        printError(u"打不开种子词文件 " + m_options.seedsFile + u"：" + file.errorString());
        return false;
    }
    QStringList lines;
    for (QString line : TextCodec::fromUtf8OrAnsi(file.readAll()).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = TextRules::trimmed(line);
        if (!line.isEmpty())
            lines.append(line);
    }
    // The search asks a table's seeds from the last row up; a file's are asked from the top.
    *seeds = QStringList(lines.crbegin(), lines.crend());
    return true;
}

bool KeywordMiner::start()
{
    AppPaths::setProgramFolder(m_options.programFolder);
    // On an account that never ran the program the folder is not there yet.
    if (!PrivateFiles::makeFolder(m_options.programFolder)) {
        printError(u"无法建立程序文件夹 " + m_options.programFolder);
        return false;
    }
    if (m_options.out.isEmpty()) {
        // The keyword window and the miner take turns at word.txt.
        m_listLock = std::make_unique<QLockFile>(wordFile() + QStringLiteral(".lock"));
        if (!m_listLock->tryLock(0)) {
            switch (m_listLock->error()) {
            case QLockFile::LockFailedError:
                printError(u"word.txt 正被关键词窗口或另一个挖词程序使用：请先关闭它，或用 --out 写到别的文件。"_qs);
                break;
            case QLockFile::PermissionError:
                printError(u"没有权限在 " + m_options.programFolder + u" 里建立 word.txt.lock，无法保护 word.txt。");
                break;
            default:
                printError(u"无法建立 word.txt.lock（" + m_options.programFolder + u"），无法保护 word.txt。");
                break;
            }
            return false;
        }
    }
    QStringList seeds;
    if (!readSeeds(&seeds))
        return false;
    m_originalList = KeywordFileLoader::readFieldLines(wordFile());
    if (seeds.isEmpty() && TextRules::trimmed(m_originalList).trimmed().isEmpty()) {
        printError(QStringLiteral("没有可搜索的词：种子词为空，word.txt 也是空的。"));
        return false;
    }

    SearchSettings settings = SearchSettings::load(AppPaths::filePath(QStringLiteral("keywords.ini")));
    if (m_options.sources)
        settings.sources = *m_options.sources;
    if (m_options.expand)
        settings.expand = *m_options.expand;
    if (m_options.proxies) {
        settings.proxies = *m_options.proxies;
        settings.badProxyLines.clear();
    }
    for (const QString& unknown : std::as_const(settings.unknownSources))
        printError(u"keywords.ini 里的来源 " + unknown + u" 不认识，已略过");
    // A bad line may hold a password: only its number is told. Lines of a --proxies file were refused before.
    for (int line : std::as_const(settings.badProxyLines))
        printError(QStringLiteral("keywords.ini 的 [proxies] 第 %1 行不是代理地址，已略过").arg(line));

    m_fetcher = std::make_unique<NetworkKeywordFetcher>();
    m_search = new LongTailSearch(SearchClock::system(), *m_fetcher, this);
    m_search->setSettings(settings);
    m_search->setMaxPasses(m_options.passes);
    m_search->records() = KeywordRecords::read(KeywordRecords::pathBeside(wordFile()));
    m_search->listText = [this]() -> std::optional<QString> { return listText(); };
    connect(m_search, &LongTailSearch::found, this, &KeywordMiner::insert);
    connect(m_search, &LongTailSearch::statusChanged, this, [this] { showProgress(); });
    // A run whose every source stays blocked or unreachable ends after the patience the user gave it,
    // counted from the last answer of any source.
    m_search->setGiveUp(std::chrono::milliseconds(qint64(m_options.giveUpMinutes * 60000)));
    m_search->setUnreadFolder(AppPaths::filePath(QStringLiteral("unread")));
    connect(m_search, &LongTailSearch::sourceSetAside, this, [this](const QString& message) {
        if (m_toTerminal)
            std::fputs("\n", stderr);
        printError(message);
    });
    connect(m_search, &LongTailSearch::recoveryDue, this, &KeywordMiner::writeRecovery);
    connect(m_search, &LongTailSearch::finished, this, [this](LongTailSearch::End end) { searchEnded(int(end)); });
    if (m_options.minutes > 0) {
        m_deadline = new QTimer(this);
        m_deadline->setSingleShot(true);
        connect(m_deadline, &QTimer::timeout, this, &KeywordMiner::interrupt);
        m_deadline->start(std::chrono::minutes(m_options.minutes));
    }
    m_search->start(seeds);
    return true;
}

QString KeywordMiner::listText() const
{
    // Found keywords go on top, the latest first, as the keyword window inserts them.
    QString text;
    for (auto it = m_found.crbegin(); it != m_found.crend(); ++it)
        text += *it + u'\n';
    return text + m_originalList;
}

void KeywordMiner::searchEnded(int end)
{
    switch (LongTailSearch::End(end)) {
    case LongTailSearch::End::GaveUp:
        if (m_toTerminal)
            std::fputs("\n", stderr);
        printError(QStringLiteral("所有来源已连续 %1 分钟被封或不通，结束。").arg(m_options.giveUpMinutes));
        m_exitStatus = EverySourceBlocked;
        break;
    case LongTailSearch::End::Unreadable:
        printError(QStringLiteral("所有来源的网页都读不出要找的内容，结束。"));
        m_exitStatus = EverySourceUnreadable;
        break;
    default:
        break;
    }
    finish();
}

void KeywordMiner::insert(const QStringList& keywords)
{
    m_found += keywords;
}

void KeywordMiner::showProgress(bool force)
{
    QString text = m_search->statusText(true); // a source set aside told why on a line of its own
    text.replace(u'\n', QStringLiteral("；"));
    text = QStringLiteral("[共找到%1个] ").arg(m_found.size()) + text;
    if (m_toTerminal) {
        std::fputs(qPrintable(u'\r' + text + u"\x1b[K"), stderr);
        std::fflush(stderr);
        return;
    }
    // A log: a line when something changed, and now and then while the search runs.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QString phase = text.section(u'，', 0, 0);
    if (!force && phase == m_lastText && now - m_lastLine < 30000)
        return;
    m_lastText = phase;
    m_lastLine = now;
    printError(text);
}

void KeywordMiner::writeRecovery()
{
    if (!m_options.out.isEmpty())
        return;
    const QString list = listText();
    PrivateFiles::writeAtomically(RecoveryFile::path(), fileBytes(list));
    m_search->records().write(KeywordRecords::pathBeside(wordFile()), list);
}

void KeywordMiner::interrupt()
{
    if (m_search)
        m_search->stop();
    finish();
}

void KeywordMiner::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_search->stop();
    if (m_toTerminal)
        std::fputs("\n", stderr);
    if (m_options.sort != MinerOptions::Sort::None) {
        // In that order where the words are written: at the top of word.txt (which takes them latest
        // first), or in the export; words of one figure stay in the order they would have had.
        const bool latestFirst = m_options.out.isEmpty();
        if (latestFirst)
            std::reverse(m_found.begin(), m_found.end());
        const KeywordRecords& records = m_search->records();
        m_found = m_options.sort == MinerOptions::Sort::Count ? records.sortedByCount(m_found)
                                                              : records.sortedByResults(m_found);
        if (latestFirst)
            std::reverse(m_found.begin(), m_found.end());
    }
    QString error;
    bool written = false;
    QString target;
    if (m_options.out.isEmpty()) {
        target = wordFile();
        written = PrivateFiles::writeAtomically(target, fileBytes(listText()), &error);
        if (written) {
            m_search->records().write(KeywordRecords::pathBeside(target), listText());
            RecoveryFile::remove();
        }
    } else {
        target = m_options.out;
        // Two sources that suggest one word found it twice; the export has one row a word, with its record.
        m_found.removeDuplicates();
        written = KeywordExport::write(target, m_options.format, m_found, m_search->records(), &error);
    }
    if (written)
        printError(QStringLiteral("共找到%1个词，已写入 %2").arg(m_found.size()).arg(target));
    else
        printError(u"写不进 " + target + u"：" + error +
                   (m_options.out.isEmpty() ? u"；找到的词在 word.recovery.txt 里"_qs : QString()));
    if (!written && m_options.out.isEmpty())
        PrivateFiles::writeAtomically(RecoveryFile::path(), fileBytes(listText()));
    emit done(m_exitStatus != Ended ? m_exitStatus : m_search->everySourcePaused() ? EverySourceBlocked : Ended);
}
