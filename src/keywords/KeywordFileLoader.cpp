#include "keywords/KeywordFileLoader.h"

#include "base/DelimitedFieldReader.h"
#include "base/TextCodec.h"
#include "keywords/KeywordRules.h"

#include <QFile>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

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
    for (qsizetype line = 1; !reader.atEnd(); ++line) {
        const QStringView field = reader.next();
        if (list.splitLineNumber == 0 && KeywordRules::splitsInUpload(field)) {
            list.splitLine = field.toString();
            list.splitLineNumber = line;
        }
        list.joined += field;
        list.joined += u"|*|";
    }
    return list;
}

void KeywordFileLoader::start(const QString& path)
{
    run([path] { return readFieldLines(path).toUtf8(); });
}

void KeywordFileLoader::run(Producer produce)
{
    if (m_running)
        return;
    m_running = true;
    m_stopped = false;
    // The watcher belongs to this object: once it is gone, the result is dropped with the thread pool's
    // task, and nobody waits for it.
    // A list that does not fit in memory fails the load; it does not end the program.
    m_outOfMemory = false;
    auto* watcher = new QFutureWatcher<std::optional<QByteArray>>(this);
    connect(watcher, &QFutureWatcher<std::optional<QByteArray>>::finished, this, [this, watcher] {
        watcher->deleteLater();
        std::optional<QByteArray> lines = watcher->result();
        m_outOfMemory = !lines;
        if (!m_stopped && lines)
            m_sink(std::move(*lines));
        finish();
    });
    watcher->setFuture(QtConcurrent::run([produce = std::move(produce)]() -> std::optional<QByteArray> {
        try {
            return produce();
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
    }));
}

void KeywordFileLoader::stop()
{
    m_stopped = true;
}

void KeywordFileLoader::finish()
{
    m_running = false;
    emit finished();
}
