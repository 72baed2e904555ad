#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <cstdlib>

// Helpers for the fuzz targets: the input as bytes, as UTF-16 text, or cut into parts at NUL bytes.
namespace FuzzInput {

inline QByteArrayView bytes(const uint8_t* data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Pairs of bytes as UTF-16 code units, lone surrogates and all.
inline QString utf16(const uint8_t* data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return text;
}

inline QList<QByteArray> parts(const uint8_t* data, size_t size, int count)
{
    QList<QByteArray> result = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    while (result.size() < count)
        result.append(QByteArray());
    return result;
}

// A property that must hold: stop with a crash libFuzzer records.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace FuzzInput
