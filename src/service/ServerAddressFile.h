#pragma once

#include <QString>

// Reads the service address from server.txt: the first comma-delimited field, trimmed, after "http:/";
// a field that starts with "https://" is the address as it stands (without slashes at its end).
struct ServerAddressFile
{
    enum class Status
    {
        Missing,
        Empty,
        Unreadable,
        Ok
    };

    Status status = Status::Missing;
    QString address; // "http:/" + field (or the https field), only when Ok
    QString error;   // why the file could not be read, only when Unreadable

    static ServerAddressFile read(const QString& path);
    // The address for the beginning of a file (truncated: the file goes on); empty when unusable.
    static QString addressFromContent(const QByteArray& content, bool truncated = false);
};
