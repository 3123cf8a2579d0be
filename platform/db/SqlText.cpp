#include "platform/db/SqlText.h"

#include "platform/db/DbError.h"

namespace db {

QString sqlValue(const QString &value)
{
    if (value.contains(QChar(0)))
        throw DbError(QStringLiteral("输入的内容含有不可用的控制字符（NUL），已拒绝。"));
    QString escaped = value;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return escaped;
}

QString odbcValue(const QString &value, bool doubleClosingBraces)
{
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{'))
        || value.contains(QLatin1Char('}')) || value.contains(QLatin1Char('='))
        || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
    if (!needsBraces)
        return value;
    QString inner = value;
    if (doubleClosingBraces)
        inner.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

} // namespace db
