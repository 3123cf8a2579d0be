#pragma once

#include <QString>

namespace db {

// The one way a value enters statement text: single quotes are doubled, so an
// ordinary value gives the template's text unchanged and no typed text can end the
// quoted literal it is placed in. A value holding a NUL is refused with a DbError: a driver
// may end the statement text at that character, so what follows would not be sent.
QString sqlValue(const QString &value);

// ODBC connection-string value: wrapped in braces when it holds a character that
// would otherwise end or change the attribute. A closing brace inside is doubled, as
// ODBC says, unless the driver reads braced values up to the first "};" without
// undoing doubled braces (FreeTDS).
QString odbcValue(const QString &value, bool doubleClosingBraces = true);

} // namespace db
