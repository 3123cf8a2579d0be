#pragma once

#include "platform/db/Recordset.h"

#include <QDate>
#include <QString>

#include <optional>

namespace db {
class Connection;
}

// Registering one electronic invoice number into the yearly book of its bill type
// ({type}-{yyyy}): the first bill of a year creates the book, later ones are added to
// it, a number the book already holds is refused. No window: the stock-in window fills
// a request from its controls and shows the outcome.
namespace BillRegistration {

// A bill number has at most this many digits.
constexpr int MaxBillNumberDigits = 77;

struct Request
{
    QString typeCode;  // 票据类型代号
    QString faceValue; // the type's face value as text; "0" when it has none
    bool taxControlled = false;
    QString bookCount; // the book's count as entered; empty or no number means 1
    QString machine;   // the tax-control machine's number; empty for none
    QString number;    // the bill number as typed
    QDate day;         // today: the book's year and its stock-in date
};

enum class Outcome {
    NewBook,     // the book was created with the bill
    AddedToBook, // the bill went into the existing book
    Duplicate,   // the book holds the number already: nothing written
    NotDigits,   // the number is not all digits (or empty): nothing sent
    TooLong,     // more than MaxBillNumberDigits digits: nothing sent
};

struct Result
{
    Outcome outcome = Outcome::Duplicate;
    QString bookNumber;
    db::Recordset newBook; // the book as saved, defaults included, for NewBook
};

// Digits only, at least one.
bool isDigitText(const QString &text);
// NotDigits or TooLong when `number` cannot be a bill number.
std::optional<Outcome> numberProblem(const QString &number);

// One registration is one exclusive transaction on `connection`: the book is looked
// up, the number checked and the bill written while no other copy of the program can
// register into the same book, so a number is never written twice and a book another
// operator has just created receives the bill. A database failure throws db::DbError
// with nothing written.
Result registerBill(db::Connection &connection, const Request &request);

} // namespace BillRegistration
