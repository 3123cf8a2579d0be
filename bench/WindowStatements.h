#pragma once

// Statements of windows the data-access benchmarks time, built as those windows build
// them (SQL Server text; the connection adapts it for SQLite), for the windows that do
// not give theirs as a function of their own. The usage window's statement is taken
// from the window's folder: issuedBooksSql (usage/IssuedBooksSql.h).

#include <QString>
#include <QStringList>

namespace bench {

// The void statistics report, by office ("不分部门统计"): the lines of the bills voided
// between the two days (yyyy-MM-dd) that the office's department issued, for the
// payment methods and charge items given.
QString voidReportStatement(const QString &office, const QString &firstDay, const QString &lastDay,
                            const QStringList &paymentMethods, const QStringList &itemCodes);

} // namespace bench
