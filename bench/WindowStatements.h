#pragma once

// The statements of the windows the data-access benchmarks time, built as those
// windows build them (SQL Server text; the connection adapts it for SQLite).

#include <QString>
#include <QStringList>

namespace bench {

// The usage window's list of the books a department holds, for all bill types.
QString issuedBooksStatement(const QString &department);

// The void statistics report, by office ("不分部门统计"): the lines of the bills voided
// between the two days (yyyy-MM-dd) that the office's department issued, for the
// payment methods and charge items given.
QString voidReportStatement(const QString &office, const QString &firstDay, const QString &lastDay,
                            const QStringList &paymentMethods, const QStringList &itemCodes);

} // namespace bench
