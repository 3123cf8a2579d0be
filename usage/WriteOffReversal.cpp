#include "usage/WriteOffReversal.h"

#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "usage/WriteOffReversalSql.h"

#include <cmath>

namespace WriteOffReversal {

namespace {

// An amount as whole cents: SQLite may give numeric(18,2) back as a binary fraction
// (0.01 + 0.06 is not 0.07), so amounts are compared in cents. NULL reads as 0.
qint64 cents(const db::Recordset &row, const QString &column)
{
    return std::llround(row.number(column) * 100.0);
}

// A record whose amount is the book's may still hold other books without issued bills.
bool recordKeepsOtherBooks(db::Connection &connection, const QString &record, qint64 recordAmount, qint64 bookAmount)
{
    if (recordAmount > bookAmount)
        return true;
    const db::Recordset count = connection.open(booksInWriteOffRecordCountSql(record));
    return !count.eof() && count.number(QStringLiteral("计数")) > 1;
}

} // namespace

ReverseOutcome reverseWriteOff(db::Connection &connection, const Request &request)
{
    const QString book = request.book.trimmed(), record = request.record.trimmed();
    if (book.isEmpty() || record.isEmpty())
        return ReverseOutcome::NumbersMissing;
    db::Transaction transaction(connection, QStringLiteral("票据反核销 ") + record);

    const db::Recordset recordRow = connection.open(writeOffRecordOfBookSql(book, record));
    const db::Recordset bookRow = connection.open(bookInWriteOffRecordSql(book, record));
    if (recordRow.eof() || bookRow.eof())
        return ReverseOutcome::NotInRecord;

    const qint64 recordAmount = cents(recordRow, QStringLiteral("开票金额"));
    const qint64 bookAmount = cents(bookRow, QStringLiteral("开票金额合计"));
    if (recordAmount < bookAmount)
        return ReverseOutcome::RecordSmallerThanBook;

    connection.execute(recordKeepsOtherBooks(connection, record, recordAmount, bookAmount)
                           ? takeBookOutOfRecordBatchSql(book, record)
                           : deleteRecordBatchSql(book, record));
    transaction.commit();
    return ReverseOutcome::Reversed;
}

} // namespace WriteOffReversal
