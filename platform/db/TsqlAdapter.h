#pragma once

#include <QString>
#include <QStringList>

namespace db {

// Rewrites the SQL Server statements of the windows so that SQLite runs them with
// the same meaning. SQL Server itself receives the text unchanged.
//
// Constructs handled:
//   - batches without separators are split at each statement start outside strings
//     and parentheses (INSERT ... SELECT stays one statement);
//   - N'...' literals, [bracketed] names;
//   - SELECT TOP n  ->  ... LIMIT n (also in subqueries);
//   - len(x)  ->  length(rtrim(x))  (trailing blanks are not counted);
//   - CONVERT(DATETIME, 'date', 102)  ->  the date as ISO text;
//   - convert(char(8), expr, 112)  ->  strftime('%Y%m%d', expr);
//   - A JOIN B JOIN C ON c1 ON c2  ->  A JOIN (B JOIN C ON c1) ON c2;
//   - UPDATE t SET t.c = ... FROM a JOIN t ON cond WHERE w  ->
//     UPDATE t SET c = ... FROM a WHERE (cond) AND (w);
//   - ORDER BY names that SQL Server resolves against the select list are qualified
//     with the select list's table, since SQLite would find them ambiguous.
class TsqlAdapter
{
public:
    // The statements SQLite runs, in order, for one text (a statement or a batch).
    static QStringList toSqlite(const QString &tsql);
    // The statements of a batch as they are written, each unchanged: SQL Server runs
    // them one by one so that a failure in any of them is seen.
    static QStringList splitStatements(const QString &tsql);
};

} // namespace db
