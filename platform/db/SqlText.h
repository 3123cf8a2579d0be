#pragma once

#include <QString>

namespace db {

// The one way a value enters statement text: single quotes are doubled, so an
// ordinary value gives the template's text unchanged and no typed text can end the
// quoted literal it is placed in.
QString sqlValue(const QString &value);

// ODBC connection-string value: wrapped in braces (a closing brace doubled) when it
// holds a character that would otherwise end or change the attribute.
QString odbcValue(const QString &value);

} // namespace db
