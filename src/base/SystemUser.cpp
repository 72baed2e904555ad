#include "base/SystemUser.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace SystemUser {

QString loginName()
{
#ifdef Q_OS_WIN
    wchar_t buffer[257];
    DWORD size = 257;
    if (!GetUserNameW(buffer, &size) || size < 1)
        return {};
    return QString::fromWCharArray(buffer, int(size) - 1);
#else
    const passwd* entry = getpwuid(geteuid());
    if (!entry || !entry->pw_name)
        return {};
    return QString::fromLocal8Bit(entry->pw_name);
#endif
}

} // namespace SystemUser
