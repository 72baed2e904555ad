#pragma once

#include <QString>

// Escapes a form value for the service: every multi-byte character of the ANSI code page becomes one
// "%XX" escape per byte and every space becomes "%20"; everything else, "&", "=" and "%" included,
// passes through unchanged because the service expects it that way.
QString EncodeFormValue(const QString& value);

// Escapes the characters a form decoder reads as structure ("&", "%", "+", "=", "#") as %XX, so that
// the field arrives as it was sent; everything else passes through.
QString EscapeFormDelimiters(const QString& value);
