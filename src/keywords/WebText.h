#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Routines that turn web replies into text the keyword search can cut up. None keeps state.

// The marker a failed cut returns instead of an error; a chain of cuts passes it through.
inline QString FalseMarker()
{
    return QStringLiteral("$False$");
}

// Decodes reply bytes as UTF-8; a leading byte-order mark is dropped.
QString bBytesToBstr(const QByteArray& body);

// Percent-encodes every UTF-16 unit as UTF-8 bytes ("%E4%B8%AD" for U+4E2D); a surrogate pair becomes
// the four bytes of its character.
QString GBtoUTF8(const QString& szInput);

// Removes mark-up: every "<", one character other than a line feed, then everything up to the last ">"
// before the next "<"; then every closing tag left.
QString ClearHtml(const QString& str);

// The text between the first StartStr and the first OverStr after it, markers found without regard to
// letter case; FalseMarker() when either is missing, nothing stands between them, or ConStr is empty or
// already FalseMarker(). IncluL / IncluR keep the markers in the result.
QString GetBody(const QString& ConStr, const QString& StartStr, const QString& OverStr, bool IncluL, bool IncluR);
