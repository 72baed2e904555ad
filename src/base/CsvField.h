#pragma once

#include <QString>

// A field as RFC 4180 has it: quoted when it holds a quote, a separator or a line end. One that Excel or
// WPS would read as a formula (a start of =, +, -, @, a tab or a carriage return: a suggestion such as
// "+86手机号", or "=HYPERLINK(…)" from a hostile reply) gets a ' before it, which makes it text.
QString csvField(const QString& field);
