#pragma once

#include <QString>
#include <QStringView>

// Text rules shared by every window: trimming removes spaces (U+0020) only, never tabs, line ends or
// ideographic spaces.
namespace TextRules {

QStringView trimSpaces(QStringView text);
inline QString trimmed(QStringView text)
{
    return trimSpaces(text).toString();
}

} // namespace TextRules
