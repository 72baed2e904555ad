#include "KeywordFileLoader.h"

#include "app/DelimitedFieldReader.h"
#include "app/TextCodec.h"

#include <QFile>
#include <QTimer>

namespace {
// The text box takes about 4 µs a line once it holds a million: 2,000 lines stay well inside a frame.
constexpr int kLinesPerSlice = 2000;
} // namespace

KeywordFileLoader::KeywordFileLoader(Sink sink, QObject* parent) : QObject(parent), m_sink(std::move(sink)) {}

KeywordFileLoader::~KeywordFileLoader()
{
    m_stopped = true;
    if (m_worker.joinable())
        m_worker.join();
}

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

void KeywordFileLoader::start(const QString& path)
{
    if (m_running)
        return;
    m_running = true;
    m_stopped = false;
    m_worker = std::thread([this, path] {
        QFile file(path);
        QString lines;
        // A file that cannot be opened or read loads as far as it was read: here, nothing.
        if (file.open(QIODevice::ReadOnly))
            lines = fieldLines(TextCodec::fromAnsi(file.readAll()));
        QMetaObject::invokeMethod(
            this,
            [this, lines = std::move(lines)]() mutable {
                if (m_worker.joinable())
                    m_worker.join();
                m_running = false;
                feed(std::move(lines));
            },
            Qt::QueuedConnection);
    });
}

void KeywordFileLoader::feed(QString lines)
{
    if (m_running)
        return;
    m_running = true;
    m_stopped = false;
    m_lines = std::move(lines);
    m_position = 0;
    nextSlice();
}

void KeywordFileLoader::stop()
{
    m_stopped = true;
}

void KeywordFileLoader::nextSlice()
{
    if (m_stopped || m_position >= m_lines.size()) {
        m_lines.clear();
        m_running = false;
        emit finished();
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
