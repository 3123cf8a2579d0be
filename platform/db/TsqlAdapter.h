#pragma once

#include <QString>
#include <QStringList>

namespace db {

// Rewrites the SQL Server statements of the windows so that SQLite runs them with
// the same meaning. SQL Server itself receives the text unchanged.
//
// Constructs handled:
//   - batches without separators are split at each statement start outside strings,
//     comments and parentheses (INSERT ... SELECT and the selects of a UNION stay one
//     statement);
//   - comments (-- and nested /* */) become blanks before anything is rewritten;
//   - N'...' literals, [bracketed] names;
//   - SELECT TOP n / TOP (n)  ->  ... LIMIT n (also in subqueries);
//   - len(x)  ->  length(rtrim(x))  (trailing blanks are not counted);
//   - CONVERT(DATETIME | DATE | SMALLDATETIME, 'date'[, year-first style])  ->  the ISO
//     text (DATE: the day; SMALLDATETIME: rounded to the minute); of a column: the
//     value itself (DATE: date(x));
//   - CONVERT([N][VAR]CHAR[(n)], x, 112 | 23 | 102 | 111 | 120 | 20 | 108 | 8)  ->
//     strftime() of x, cut to n (CHAR: padded to n); without a style CAST(x AS TEXT),
//     likewise cut and padded (CONVERT's length is 30 when none is given);
//   - CONVERT(INT | BIGINT | SMALLINT | TINYINT, x) -> CAST(x AS INTEGER),
//     CONVERT(FLOAT, x) -> CAST(x AS REAL);
//   - A JOIN B JOIN C ON c1 ON c2  ->  A JOIN (B JOIN C ON c1) ON c2;
//   - UPDATE t SET t.c = ... FROM a JOIN t ON cond WHERE w  ->
//     UPDATE t SET c = ... FROM a WHERE (cond) AND (w)   (t aliased: UPDATE t AS x);
//     a FROM clause that does not name t is kept, SQLite joining t with it as SQL
//     Server does;
//   - DELETE t WHERE w  ->  DELETE FROM t WHERE w;
//     DELETE [FROM] t FROM j WHERE w  ->
//     DELETE FROM t WHERE rowid IN (SELECT t.rowid FROM j WHERE w);
//   - ORDER BY names that SQL Server resolves against the select list are qualified
//     with the select list's table, since SQLite would find them ambiguous.
//
// Refused, with a db::DbError "SQLite 后端无法转换的语句结构：<construct>", since SQLite
// would run them with another meaning:
//   - TOP n PERCENT, TOP n WITH TIES, TOP (expression) or any count that is not a
//     whole number, TOP in a select of a UNION/EXCEPT/INTERSECT, UPDATE/DELETE/INSERT TOP;
//   - CONVERT to any other type (DECIMAL, NUMERIC, MONEY, REAL, BIT, DATETIME2, TIME,
//     ...), with another style, a length out of range, CONVERT(SMALLDATETIME, column),
//     or a date literal that is not a valid year-first date;
//   - UPDATE ... FROM whose FROM clause names the target with two or more other
//     tables, joins it on the preserved side of an outer join (LEFT JOIN with the
//     target first, RIGHT JOIN with it second, FULL JOIN), names it more than once
//     ambiguously or as a derived table, or has a table source or join that is not
//     recognised; a SET column qualified with another table;
//   - DELETE ... FROM whose target is ambiguous or a derived table, or with a table
//     source that is not recognised.
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
