#pragma once

#include <QLocale>
#include <QString>

// Fixed facts about the application shown to the user.
namespace AppInfo {

inline QString title()
{
    return QStringLiteral("Quillon建站1.0A版-站群");
}
// The settings store files the main window's position under organisation and title.
inline QString organization()
{
    return QStringLiteral("Quillon");
}
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;
inline QString version()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}
// The program speaks Chinese whatever the system's locale: its own dates and numbers too.
inline QLocale locale()
{
    return QLocale(QLocale::Chinese, QLocale::China);
}
// The name of the desktop entry, the icon and the AppStream component.
inline QString desktopId()
{
    return QStringLiteral("com.example.quillon");
}
inline QString homePage()
{
    return QStringLiteral("https://quillon.example.com/");
}

} // namespace AppInfo
