#pragma once

#include <QDate>
#include <QString>

// The statements of the stock-in window.

// Bill types 21 and 22, the only ones registered here.
QString stockBillTypesSql();
// Tax-control machines in use on a day: started on or before it, not ended by then.
QString machinesInUseSql(const QDate &today);
// One book by its number.
QString bookByNumberSql(const QString &bookNumber);
// The bills of one book.
QString billsOfBookSql(const QString &bookNumber);
// The bill of a book with one number, if the book holds it.
QString billInBookSql(const QString &bookNumber, const QString &billNumber);

// The yearly book of a bill type: type code + "-" + four-digit year.
QString yearlyBookNumber(const QString &typeCode, const QDate &day);
