#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace db {
class Connection;
class Recordset;
}

// The decision on an application to restore a voided bill: agreeing passes it to the
// next node of its route, or, at the last node, approves it and restores the bill to a
// bill not yet used; refusing rejects it. Each decision is one transaction that holds
// the right to write from its start, so the step and the bill checked and the next
// node found are the ones written, and a failure at any statement leaves every table
// as it was (the error escapes to the caller).
namespace RestorationDecision {

// The application as it was shown to the operator, and his step in it.
struct ShownApplication
{
    QString number;          // 编号
    QString stepNumber;      // the operator's 环节序号 in it
    QString departmentCode;  // the applicant department's 部门编号
    QString bookNumber;      // 票据入库单编号
    QString billNumber;      // 票据编号
    QString voidedOn;        // 票据作废日期 as the application recorded it (recordedMoment)
    QStringList stepAsShown; // the operator's step when shown (stepState)
};

struct Request
{
    ShownApplication application;
    QString postCode; // the operator's post (岗位代号)
    QString approver; // the operator's name
    QString opinion;  // as typed
    QDateTime at;     // when the decision is made
};

enum class AgreementOutcome {
    Agreed,
    DecidedMeanwhile,
    BillMissing,
    IssuedBeforeClosing,
    PaidBeforeClosing,
    VoucherOrWriteOff,
    OpinionIsRefusal,
    BillNoLongerVoided,
    BillVoidedOnAnotherDay,
};

enum class RefusalOutcome { Refused, DecidedMeanwhile, OpinionMissing, OpinionIsAgreement };

template <typename Outcome>
struct Result
{
    Outcome outcome{};
    // The opinion as it stands afterwards: an empty one becomes "同意" once an agreement
    // has passed the bill's checks.
    QString opinion;
    // For DecidedMeanwhile: who decided the step, when and how, for the operator.
    QString decidedMeanwhile;
};

Result<AgreementOutcome> agree(db::Connection &connection, const Request &request);
Result<RefusalOutcome> refuse(db::Connection &connection, const Request &request);

// The operator's step as read: approver, date and verdict, NULL told apart from empty
// text; empty when the step is not there. Compared with ShownApplication::stepAsShown.
QStringList stepState(const db::Recordset &step);
// A moment as recorded (a void date): ISO text when it reads as a date, else the text
// as stored; empty for NULL. Two records of one moment give the same text.
QString recordedMoment(const db::Recordset &row, const QString &column);

} // namespace RestorationDecision
