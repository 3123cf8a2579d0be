#include "stock/BillRegistration.h"

#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "stock/StockSql.h"

namespace BillRegistration {

namespace {

void addBillToBook(db::Connection &connection, const QString &bookNumber, const Request &request)
{
    db::EditableRecordset bills = connection.openEditable(billsOfBookSql(bookNumber));
    bills.addNew();
    bills.setValue(QStringLiteral("入库单编号"), bookNumber);
    // Digit text keeps every digit and the typed length: leading zeros stay.
    bills.setValue(QStringLiteral("票据编号"), request.number);
    if (request.faceValue.toDouble() != 0)
        bills.setValue(QStringLiteral("金额"), request.faceValue);
    bills.update();
}

int bookCount(const Request &request)
{
    bool countOk = false;
    const int count = request.bookCount.toInt(&countOk);
    return request.bookCount.isEmpty() || !countOk ? 1 : count;
}

// The first bill of a year: the book and its bill. Returns the book as saved.
db::Recordset createBook(db::Connection &connection, const QString &bookNumber, const Request &request)
{
    db::EditableRecordset book = connection.openEditable(bookByNumberSql(bookNumber));
    book.addNew();
    book.setValue(QStringLiteral("入库单编号"), bookNumber);
    book.setValue(QStringLiteral("票据类型编号"), request.typeCode);
    book.setValue(QStringLiteral("份数"), bookCount(request));
    book.setValue(QStringLiteral("起始编号"), request.number);
    book.setValue(QStringLiteral("终止编号"), request.number);
    book.setValue(QStringLiteral("入库时间"), request.day.toString(QStringLiteral("yyyy-MM-dd")));
    book.setValue(QStringLiteral("备注"), QVariant());
    if (!request.machine.isEmpty())
        book.setValue(QStringLiteral("税控机编号"), request.machine);
    book.setValue(QStringLiteral("状态"), QStringLiteral("在库"));
    book.setValue(QStringLiteral("税控"), request.taxControlled ? 1 : 0);
    book.update();
    db::Recordset saved = connection.open(bookByNumberSql(bookNumber));
    addBillToBook(connection, bookNumber, request);
    return saved;
}

Result registerInTransaction(db::Connection &connection, const QString &bookNumber, const Request &request)
{
    if (connection.openEditable(bookByNumberSql(bookNumber)).eof())
        return {Outcome::NewBook, bookNumber, createBook(connection, bookNumber, request)};
    if (!connection.open(billInBookSql(bookNumber, request.number)).eof())
        return {Outcome::Duplicate, bookNumber, {}};
    addBillToBook(connection, bookNumber, request);
    return {Outcome::AddedToBook, bookNumber, {}};
}

} // namespace

bool isDigitText(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

std::optional<Outcome> numberProblem(const QString &number)
{
    if (!isDigitText(number))
        return Outcome::NotDigits;
    if (number.size() > MaxBillNumberDigits)
        return Outcome::TooLong;
    return std::nullopt;
}

Result registerBill(db::Connection &connection, const Request &request)
{
    const QString bookNumber = yearlyBookNumber(request.typeCode, request.day);
    if (const std::optional<Outcome> problem = numberProblem(request.number))
        return {*problem, bookNumber, {}};
    db::Transaction registration(connection, QStringLiteral("票据入库:") + bookNumber);
    Result result = registerInTransaction(connection, bookNumber, request);
    // A refused number writes nothing: the scope's end rolls back.
    if (result.outcome != Outcome::Duplicate)
        registration.commit();
    return result;
}

} // namespace BillRegistration
