// The keyword list at scale: 1,000,000 Chinese keywords (about 23 MB of GB18030) parsed, filtered,
// counted, added to and loaded into the keyword window, beside sort -u and awk on the same file. The
// memory of the client holding the list is measured in a process of its own, which does nothing else.
#include "BenchSupport.h"
#include "base/AppPaths.h"
#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"
#include "gui/KeywordWindow.h"
#include "keywordlist/KeywordList.h"
#include "keywords/KeywordRules.h"
#include "store/LocalStore.h"

#include <QAccessible>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <Qsci/qsciscintilla.h>

namespace {

QString makeKeywords(int count)
{
    static const QString syllables =
        QStringLiteral("北京上海广州深圳装修公司价格多少钱哪家好怎么样推荐排名官网电话地址培训学校");
    QRandomGenerator random(42);
    QStringList keywords;
    keywords.reserve(count);
    for (int i = 0; i < count; ++i) {
        // One keyword in ten repeats an earlier one.
        if (i % 10 == 9) {
            keywords.append(keywords.at(random.bounded(i)));
            continue;
        }
        QString keyword;
        const int length = 6 + int(random.bounded(4));
        for (int j = 0; j < length; ++j)
            keyword += syllables.at(random.bounded(syllables.size()));
        keywords.append(keyword + QString::number(i));
    }
    return keywords.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// Opens the keyword window on the list, as the client does, and waits until it is all in.
void openWindow(KeywordWindow& window)
{
    QSignalSpy loaded(&window, &KeywordWindow::loadFinished);
    window.show();
    loaded.wait(600000);
}

// The client holding the list and nothing else: prints its resident memory in KiB once the list is in.
int holdList(const QString& folder)
{
    AppPaths::setProgramFolder(folder);
    LocalStore::open(folder);
    KeywordWindow window;
    openWindow(window);
    QTest::qWait(500); // painted, and the loading's temporary buffers gone
    std::printf("%ld\n", Bench::residentKiB());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // scripts/bench runs every benchmark offscreen and on xcb; run alone, offscreen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0)
        return holdList(QString::fromLocal8Bit(argv[2]));
    constexpr int kKeywords = 1000000;

    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    LocalStore::open(dir.path());
    const QString path = AppPaths::filePath(QStringLiteral("word.txt"));
    double sortMs = 0;
    double awkMs = 0;
    qsizetype listUnits = 0;
    {
        const QString text = makeKeywords(kKeywords);
        listUnits = text.size();
        const QByteArray bytes = TextCodec::toAnsi(text);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();
        std::printf("word.txt: %d keywords, %.1f MB\n", kKeywords, bytes.size() / 1e6);
        sortMs = Bench::timeCommand(QStringLiteral("LC_ALL=C sort -u '%1' >/dev/null").arg(path));
        awkMs = Bench::timeCommand(QStringLiteral("LC_ALL=C awk '!seen[$0]++' '%1' >/dev/null").arg(path));

        QElapsedTimer timer;
        timer.start();
        const QString decoded = TextCodec::fromAnsi(bytes);
        DelimitedFieldReader reader(decoded);
        while (!reader.atEnd())
            reader.next();
        Bench::report("decode + parse word.txt", timer.nsecsElapsed() / 1e6, "ms", "awk '!seen[$0]++'", awkMs);

        const QByteArray utf8 = text.toUtf8();
        timer.restart();
        const std::vector<QByteArrayView> distinct = KeywordRules::DistinctLines(QByteArrayView(utf8));
        Bench::report("DistinctLines of 1,000,000 lines (UTF-8)", timer.nsecsElapsed() / 1e6, "ms", "sort -u", sortMs);
        std::printf("  (%lld distinct lines)\n", qlonglong(distinct.size()));
    }

    // The client holding the list, in a process of its own, against the list itself as UTF-16.
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), dir.path()});
    holder.waitForFinished(600000);
    const double heldMiB = holder.readAllStandardOutput().trimmed().toLong() / 1024.0;
    Bench::report("resident memory of the client holding it", heldMiB, "MiB", "3 x the list as UTF-16",
                  3 * listUnits * 2 / 1048576.0);

    KeywordWindow window;
    QTimer* loadTimer = window.findChild<QTimer*>(QStringLiteral("jiazaiTimer"));
    QElapsedTimer loadClock;
    QObject::connect(loadTimer, &QTimer::timeout, [&loadClock] { loadClock.start(); });
    Bench::StallProbe probe; // the longest gap is the longest the window was unresponsive
    // A screen reader asks, while the list comes in, for the text's length and the text at its end.
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&window] {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(window.findChild<QWidget*>(u"Langword"_qs));
        if (QAccessibleTextInterface* text = box ? box->textInterface() : nullptr) {
            const int length = text->characterCount();
            text->text(std::max(0, length - 100), length);
        }
    });
    QObject::connect(loadTimer, &QTimer::timeout, [&probe, &reader] {
        probe.start();
        reader.start(20);
    });
    openWindow(window);
    const double loadMs = loadClock.nsecsElapsed() / 1e6;
    // Assistive technology asks for the caret and the text once the list is in: that counts too.
    QTest::qWait(500);
    probe.stop();
    reader.stop();
    Bench::report("load into the window (total)", loadMs, "ms", "2 x sort -u", 2 * sortMs);
    Bench::report("longest stall, load and the 0.5 s after, a reader asking", probe.longestMs(), "ms", "(target)", 50);
    std::printf("  (accessibility %s)\n", QAccessible::isActive() ? "active: a screen reader's bus is on" : "off");
    std::printf("  (%d lines in the box)\n", window.lineCount());

    // Ten keywords in at the top while the caret is at the end of the list; the repaint that follows is
    // set beside a repaint of the unchanged box.
    auto* box = qobject_cast<QsciScintilla*>(window.resultBox()->widget());
    box->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::qWait(100);
    QStringList found;
    for (int i = 0; i < 10; ++i)
        found.append(QStringLiteral("新发现的长尾词%1").arg(i));
    QElapsedTimer timer;
    timer.start();
    window.insertAtTop(found);
    Bench::report("insert 10 keywords at the top", timer.nsecsElapsed() / 1e6, "ms", "(target)", 1);
    timer.restart();
    box->viewport()->repaint();
    const double repaintAfterMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    box->viewport()->repaint();
    Bench::report("  and the repaint that shows them", repaintAfterMs, "ms", "repaint of the unchanged box",
                  timer.nsecsElapsed() / 1e6);

    // 过滤同名词 until the box shows the result, beside sort -u on the same file.
    timer.restart();
    window.findChild<QPushButton*>(QStringLiteral("guolv"))->click();
    while (window.listBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    Bench::report("过滤同名词 until the box shows it", timer.nsecsElapsed() / 1e6, "ms", "sort -u", sortMs);

    QMetaObject::invokeMethod(&window, [&window] { window.setAttribute(Qt::WA_DeleteOnClose, false); });
    return 0;
}
