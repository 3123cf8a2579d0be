#pragma once

#include <QString>

namespace db {
class Connection;
}

// Undoing the write-off of one book: the book is taken out of its write-off record
// (or the record is deleted when the book was its only one), the write-off stamps of
// its bills and issue lines are cleared and the book goes back to "领用". No window:
// the reverse write-off window fills a request and shows the outcome.
namespace WriteOffReversal {

struct Request
{
    QString book;   // 入库单编号, as entered
    QString record; // 核销记录编号, as entered
};

enum class ReverseOutcome {
    Reversed,
    NumbersMissing,        // a number is empty (blanks only): nothing sent
    NotInRecord,           // the record does not hold the book: nothing written
    RecordSmallerThanBook, // the record's amount is below the book's: nothing written
};

// The look-ups, the count and the batch in one transaction that holds the right to
// write from its start: the figures the batch takes out are the ones compared, and a
// failure at any statement (db::DbError) leaves the database as it was.
ReverseOutcome reverseWriteOff(db::Connection &connection, const Request &request);

} // namespace WriteOffReversal
