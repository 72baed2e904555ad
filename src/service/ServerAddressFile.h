#pragma once

#include <QByteArray>
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
    // The server.txt to read: the program folder's; without it, the first quillon/server.txt of the XDG
    // configuration folders ($XDG_CONFIG_DIRS, by default /etc/xdg), where an administrator or the
    // service's own package sets the address for every user.
    static QString locate(const QString& programFolder);
    // Why an address typed by the user is none (in Chinese), or empty: https://host[:port], http://…, or
    // the file's own /host[:port] form; no path, no spaces.
    static QString addressProblem(const QString& typed);
    // Writes a checked address as the program folder's server.txt, the user's alone.
    static bool write(const QString& programFolder, const QString& typed, QString* error = nullptr);
    // The address for the beginning of a file (truncated: the file goes on); empty when unusable.
    static QString addressFromContent(const QByteArray& content, bool truncated = false);
};
