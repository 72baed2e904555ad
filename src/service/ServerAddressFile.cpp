#include "service/ServerAddressFile.h"

#include "base/DelimitedFieldReader.h"
#include "base/PrivateFiles.h"
#include "base/TextCodec.h"
#include "base/TextRules.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <algorithm>

namespace {
// Only the first line matters; a huge or binary file must not be read whole.
constexpr qint64 kReadLimit = 64 * 1024;
} // namespace

QString ServerAddressFile::addressFromContent(const QByteArray& content, bool truncated)
{
    const QString text = TextCodec::fromAnsi(content);
    DelimitedFieldReader reader(text);
    if (reader.atEnd())
        return {};
    const QStringView field = TextRules::trimSpaces(reader.next());
    // A first field that runs past the part read is no address, and neither is one with control
    // characters (binary, or a quoted field that runs over several lines).
    const bool control =
        std::any_of(field.begin(), field.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (field.isEmpty() || control || (truncated && reader.atEnd()))
        return {};
    // A first field with the https scheme is the base as it stands; the form without a scheme has always
    // meant http.
    if (field.startsWith(u"https://", Qt::CaseInsensitive)) {
        QStringView base = field;
        while (base.endsWith(u'/'))
            base.chop(1);
        return base.size() > 8 ? base.toString() : QString();
    }
    return u"http:/" + field.toString();
}

QString ServerAddressFile::locate(const QString& programFolder)
{
    const QString own = QDir(programFolder).filePath(QStringLiteral("server.txt"));
    if (QFile::exists(own))
        return own;
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& dir : (dirs.isEmpty() ? QStringLiteral("/etc/xdg") : dirs).split(u':', Qt::SkipEmptyParts)) {
        const QString shared = QDir(dir).filePath(QStringLiteral("quillon/server.txt"));
        if (QDir::isAbsolutePath(dir) && QFile::exists(shared))
            return shared;
    }
    return own;
}

namespace {
// The address as a URL: the file's /host form has always meant http.
QUrl typedUrl(const QString& typed)
{
    return QUrl(typed.startsWith(u'/') && !typed.startsWith(u"//") ? u"http:/" + typed : typed, QUrl::StrictMode);
}
} // namespace

QString ServerAddressFile::addressProblem(const QString& typed)
{
    if (typed.isEmpty())
        return QStringLiteral("请填写服务器地址。");
    if (std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.isSpace() || c.unicode() < 0x20 || c == u','; }))
        return QStringLiteral("地址里不能有空格或逗号。");
    const QUrl url = typedUrl(typed);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https"))
        return QStringLiteral("地址要以 https:// 或 http:// 开头，例如 https://example.com。");
    if (url.host().isEmpty())
        return QStringLiteral("地址里没有主机名。");
    if (url.port() == 0 || (url.port() < 0 && typed.section(u'/', 2, 2).endsWith(u':')))
        return QStringLiteral("端口要在 1 到 65535 之间。");
    if (!url.userInfo().isEmpty() || (url.path() != u"" && url.path() != u"/") || url.hasQuery() || url.hasFragment())
        return QStringLiteral("地址只要协议、主机和端口，不要路径或其他部分。");
    return {};
}

bool ServerAddressFile::write(const QString& programFolder, const QString& typed, QString* error)
{
    QUrl url = typedUrl(typed);
    url.setPath(QString());
    // http is written in the file's own form, which every version of the program reads.
    QString line = url.toString(QUrl::FullyEncoded);
    if (url.scheme().compare(u"http", Qt::CaseInsensitive) == 0)
        line = line.mid(6);
    if (!PrivateFiles::makeFolder(programFolder)) {
        if (error)
            *error = u"无法建立文件夹 " + programFolder;
        return false;
    }
    return PrivateFiles::writeAtomically(QDir(programFolder).filePath(QStringLiteral("server.txt")),
                                         (line + QStringLiteral("\r\n")).toUtf8(), error);
}

ServerAddressFile ServerAddressFile::read(const QString& path)
{
    ServerAddressFile result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = Status::Unreadable;
        result.error = file.errorString();
        return result;
    }
    const QByteArray content = file.read(kReadLimit);
    result.address = addressFromContent(content, !file.atEnd());
    result.status = result.address.isEmpty() ? Status::Empty : Status::Ok;
    return result;
}
