#include "keywords/KeywordFileLoader.h"

#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"

#include <QFile>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {
// The text box takes about 4 µs a line once it holds a million: 2,000 lines stay well inside a frame.
constexpr int kLinesPerSlice = 2000;
} // namespace

KeywordFileLoader::KeywordFileLoader(Sink sink, QObject* parent) : QObject(parent), m_sink(std::move(sink)) {}

QString KeywordFileLoader::fieldLines(QStringView fileText)
{
    QString lines;
    lines.reserve(fileText.size() + fileText.size() / 8);
    DelimitedFieldReader reader(fileText);
    while (!reader.atEnd()) {
        lines += reader.next();
        lines += u'\n';
    }
    return lines;
}

QString KeywordFileLoader::readFieldLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fieldLines(TextCodec::fromAnsi(file.readAll()));
}

KeywordFileLoader::UploadList KeywordFileLoader::readUploadList(const QString& path)
{
    UploadList list;
    QFile file(path);
    list.exists = file.exists();
    if (!list.exists)
        return list;
    if (!file.open(QIODevice::ReadOnly)) {
        list.error = file.errorString();
        return list;
    }
    const QString text = TextCodec::fromAnsi(file.readAll());
    DelimitedFieldReader reader(text);
    while (!reader.atEnd()) {
        list.joined += reader.next();
        list.joined += u"|*|";
    }
    return list;
}

void KeywordFileLoader::start(const QString& path)
{
    run([path] { return readFieldLines(path); });
}

void KeywordFileLoader::run(Producer produce)
{
    if (m_running)
        return;
    m_running = true;
    m_stopped = false;
    // The watcher belongs to this object: once it is gone, the result is dropped with the thread pool's
    // task, and nobody waits for it.
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (m_stopped) {
            finish();
            return;
        }
        feed(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(std::move(produce)));
}

void KeywordFileLoader::feed(QString lines)
{
    m_lines = std::move(lines);
    m_position = 0;
    nextSlice();
}

void KeywordFileLoader::stop()
{
    m_stopped = true;
}

void KeywordFileLoader::finish()
{
    m_lines.clear();
    m_position = 0;
    m_running = false;
    emit finished();
}

void KeywordFileLoader::nextSlice()
{
    if (m_stopped || m_position >= m_lines.size()) {
        finish();
        return;
    }
    qsizetype end = m_position;
    for (int i = 0; i < kLinesPerSlice && end < m_lines.size(); ++i) {
        end = m_lines.indexOf(u'\n', end);
        end = end < 0 ? m_lines.size() : end + 1;
    }
    m_sink(QStringView(m_lines).mid(m_position, end - m_position));
    m_position = end;
    QTimer::singleShot(0, this, &KeywordFileLoader::nextSlice);
}
