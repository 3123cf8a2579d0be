#include "restore/RestorationDecision.h"

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "platform/ui/DisplayFormats.h"
#include "restore/RestorationApprovalSql.h"

namespace RestorationDecision {

namespace {

const QString Agree = QStringLiteral("同意");
const QString Disagree = QStringLiteral("不同意");

// A date of the bill as YYYYMMDD, for comparing with a closing month; empty for NULL
// or a value that is no date, which never stops an approval.
QString closingComparable(const db::Recordset &bill, const QString &column)
{
    const QDate date = bill.isNull(column) ? QDate() : bill.date(column);
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

// Who decided the operator's step, when and how, for the operator who was about to.
QString decidedByOtherText(const db::Recordset &step)
{
    if (step.eof())
        return QStringLiteral("本岗位在该申请中的审批环节已不存在，本次审批未保存。");
    const QString approver = step.text(QStringLiteral("审批人")).trimmed();
    if (approver.isEmpty())
        return QStringLiteral("该审批环节已被他人改动，本次审批未保存，请重新选择该申请。");
    const QDateTime at = step.dateTime(QStringLiteral("审批日期"));
    const QString when = at.isValid() ? DisplayFormats::shortDateTime(at) : step.text(QStringLiteral("审批日期"));
    const QString verdict = step.isNull(QStringLiteral("是否同意")) ? QStringLiteral("审批")
                            : step.flag(QStringLiteral("是否同意")) ? Agree
                                                                     : Disagree;
    return QStringLiteral("该审批环节已由 ") + approver + QStringLiteral(" 于 ") + when + QLatin1Char(' ') + verdict
        + QStringLiteral("，本次审批未保存。");
}

ApprovalStepKey operatorStep(const Request &request)
{
    return {request.application.number, request.postCode, request.application.stepNumber};
}

ApprovalDecision decision(const Request &request, const QString &opinion)
{
    return {request.approver, opinion, request.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
}

// The operator's step decided by someone else (another holder of the post) since the
// window showed it: the text telling who did; empty when the step is as shown.
QString stepDecidedMeanwhile(db::Connection &connection, const Request &request)
{
    const db::Recordset step = connection.open(stepStateSql(operatorStep(request)));
    return stepState(step) == request.application.stepAsShown ? QString() : decidedByOtherText(step);
}

// The transaction of a decision on the application.
QString transactionResource(const Request &request)
{
    return QStringLiteral("票据作废恢复审批 ") + request.application.number;
}

// The bill may be restored: it is there, issued and paid after the applicant
// department's latest closing, and neither in a voucher nor written off.
AgreementOutcome checkBill(db::Connection &connection, const ShownApplication &app, const db::Recordset &bill)
{
    // A bill that is gone cannot be restored; the application can still be refused.
    if (bill.eof())
        return AgreementOutcome::BillMissing;

    // The applicant department's latest closing month, by its code. A NULL month or a
    // NULL date never stops the approval.
    const db::Recordset closing = connection.open(latestClosingMonthSql(app.departmentCode));
    if (!closing.eof() && !closing.isNull(QStringLiteral("封帐年月"))) {
        const QString closedUpTo = closing.text(QStringLiteral("封帐年月")).trimmed();
        const QString issued = closingComparable(bill, QStringLiteral("开票日期"));
        if (!issued.isEmpty() && issued <= closedUpTo)
            return AgreementOutcome::IssuedBeforeClosing;
        const QString paid = closingComparable(bill, QStringLiteral("收款日期"));
        if (!paid.isEmpty() && paid <= closedUpTo)
            return AgreementOutcome::PaidBeforeClosing;
    }
    for (const QString &column : {QStringLiteral("收款凭证编号"), QStringLiteral("退票凭证编号"), QStringLiteral("内换凭证编号"),
                                  QStringLiteral("税额凭证编号"), QStringLiteral("核销日期")})
        if (!bill.isNull(column))
            return AgreementOutcome::VoucherOrWriteOff;
    return AgreementOutcome::Agreed;
}

// Checks and writes an agreement inside its transaction; `opinion` is rewritten to
// "同意" when empty once the bill has passed its checks.
AgreementOutcome agreeWithin(db::Connection &connection, const Request &request, QString &opinion)
{
    const ShownApplication &app = request.application;
    const db::Recordset bill = connection.open(billOfApplicationSql(app.bookNumber, app.billNumber));
    const AgreementOutcome billState = checkBill(connection, app, bill);
    if (billState != AgreementOutcome::Agreed)
        return billState;

    const db::Recordset next = connection.open(nextRouteNodeSql(app.number, app.stepNumber));
    if (opinion.trimmed().isEmpty())
        opinion = Agree;
    if (opinion.trimmed() == Disagree)
        return AgreementOutcome::OpinionIsRefusal;

    const ApprovalStepKey step = operatorStep(request);
    const ApprovalDecision agreed = decision(request, opinion);
    if (next.eof()) {
        // Only the voiding this application was made for is undone: a bill restored
        // since (and perhaps issued again) or voided again on another day stays as it is.
        const QString voidedOn = recordedMoment(bill, QStringLiteral("作废日期"));
        if (voidedOn.isEmpty())
            return AgreementOutcome::BillNoLongerVoided;
        if (voidedOn != app.voidedOn)
            return AgreementOutcome::BillVoidedOnAnotherDay;
        connection.execute(lastApprovalBatchSql(step, agreed, app.bookNumber, app.billNumber));
        return AgreementOutcome::Agreed;
    }
    // A node the application already has a step for gets no second one: only the
    // operator's step is completed.
    const ApprovalRouteNode node{next.text(QStringLiteral("部门")), next.text(QStringLiteral("岗位")),
                                 next.text(QStringLiteral("环节序号"))};
    const db::Recordset existing = connection.open(stepOfNodeSql(app.number, node));
    connection.execute(existing.eof() ? passToNextNodeBatchSql(step, agreed, node) : agreedStepSql(step, agreed));
    return AgreementOutcome::Agreed;
}

} // namespace

Result<AgreementOutcome> agree(db::Connection &connection, const Request &request)
{
    Result<AgreementOutcome> result{AgreementOutcome::DecidedMeanwhile, request.opinion, QString()};
    db::Transaction transaction(connection, transactionResource(request));
    result.decidedMeanwhile = stepDecidedMeanwhile(connection, request);
    if (!result.decidedMeanwhile.isEmpty())
        return result;
    result.outcome = agreeWithin(connection, request, result.opinion);
    if (result.outcome == AgreementOutcome::Agreed)
        transaction.commit();
    return result;
}

// Only the opinion and the step are checked.
Result<RefusalOutcome> refuse(db::Connection &connection, const Request &request)
{
    Result<RefusalOutcome> result{RefusalOutcome::Refused, request.opinion, QString()};
    const QString opinion = request.opinion.trimmed();
    if (opinion.isEmpty()) {
        result.outcome = RefusalOutcome::OpinionMissing;
        return result;
    }
    if (opinion == Agree) {
        result.outcome = RefusalOutcome::OpinionIsAgreement;
        return result;
    }
    db::Transaction transaction(connection, transactionResource(request));
    result.decidedMeanwhile = stepDecidedMeanwhile(connection, request);
    if (!result.decidedMeanwhile.isEmpty()) {
        result.outcome = RefusalOutcome::DecidedMeanwhile;
        return result;
    }
    connection.execute(rejectionBatchSql(operatorStep(request), decision(request, request.opinion)));
    transaction.commit();
    return result;
}

QStringList stepState(const db::Recordset &step)
{
    QStringList state;
    if (step.eof())
        return state;
    for (const QString &column : {QStringLiteral("审批人"), QStringLiteral("审批日期"), QStringLiteral("是否同意")})
        state << (step.isNull(column) ? QStringLiteral("NULL") : QLatin1Char('=') + step.text(column));
    return state;
}

QString recordedMoment(const db::Recordset &row, const QString &column)
{
    if (row.isNull(column))
        return QString();
    const QDateTime at = row.dateTime(column);
    return at.isValid() ? at.toString(Qt::ISODate) : row.text(column);
}

} // namespace RestorationDecision
