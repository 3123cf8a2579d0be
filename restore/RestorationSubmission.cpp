#include "restore/RestorationSubmission.h"

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "restore/RestorationApplicationSql.h"

namespace RestorationSubmission {

namespace {

// Only a bill that exists and is voided can be applied for.
std::optional<Submission> refusalOf(const db::Recordset &bill)
{
    if (bill.eof())
        return Submission::NoBill;
    if (bill.isNull(QStringLiteral("作废日期")))
        return Submission::NotVoided;
    return std::nullopt;
}

// The serial after the greatest one stored; 1 for the first application.
qlonglong nextSerial(const db::Recordset &latest)
{
    return latest.eof() ? 1 : latest.text(QStringLiteral("流水")).toLongLong() + 1;
}

// The application, with the bill's figures as the bill holds them now.
void addApplication(db::Connection &connection, const Request &request, const QString &number, qlonglong serial,
                    const db::Recordset &bill)
{
    db::EditableRecordset application = connection.openEditable(newApplicationSql());
    application.addNew();
    application.setValue(QStringLiteral("编号"), number);
    application.setValue(QStringLiteral("部门"), request.departmentName);
    application.setValue(QStringLiteral("提交日期"), request.at);
    application.setValue(QStringLiteral("调整事由"), request.reason);
    application.setValue(QStringLiteral("流水"), QString::number(serial));
    application.setValue(QStringLiteral("类型名称"), request.restorationType);
    application.setValue(QStringLiteral("票据金额"), bill.value(QStringLiteral("金额")));
    application.setValue(QStringLiteral("收款方式"), bill.value(QStringLiteral("收款方式")));
    application.setValue(QStringLiteral("审核状态"), QStringLiteral("审批中"));
    application.setValue(QStringLiteral("票据ID"), bill.value(QStringLiteral("ID")));
    application.setValue(QStringLiteral("部门编号"), request.departmentCode);
    application.setValue(QStringLiteral("票据入库单编号"), request.bookNumber);
    application.setValue(QStringLiteral("票据编号"), request.billNumber);
    application.setValue(QStringLiteral("票据作废日期"), bill.value(QStringLiteral("作废日期")));
    application.update();
}

// The pending step at the first node.
void addFirstStep(db::Connection &connection, const QString &number, const db::Recordset &node)
{
    db::EditableRecordset step = connection.openEditable(newStepSql());
    step.addNew();
    step.setValue(QStringLiteral("编号"), number);
    step.setValue(QStringLiteral("部门"), node.value(QStringLiteral("部门编号")));
    step.setValue(QStringLiteral("岗位"), node.value(QStringLiteral("岗位编号")));
    step.setValue(QStringLiteral("环节序号"), node.value(QStringLiteral("顺序")));
    step.update();
}

} // namespace

std::optional<Submission> billRefusal(db::Connection &connection, const QString &bookNumber, const QString &billNumber)
{
    return refusalOf(connection.open(billByNumbersSql(bookNumber, billNumber)));
}

Result submit(db::Connection &connection, const Request &request)
{
    Result result;
    db::Transaction transaction(connection, QStringLiteral("作废恢复审批单"));

    const db::Recordset node = connection.open(firstNodeSql(request.categoryCode));
    const db::Recordset latest = connection.open(latestSerialSql());
    if (node.eof()) {
        result.outcome = Submission::NoPath;
        return result;
    }
    const db::Recordset bill = connection.open(billByNumbersSql(request.bookNumber, request.billNumber));
    if (const std::optional<Submission> refusal = refusalOf(bill)) {
        result.outcome = *refusal;
        return result;
    }
    const db::Recordset pending = connection.open(applicationInApprovalOfBillSql(
        bill.value(QStringLiteral("ID")).toLongLong(), request.bookNumber, request.billNumber));
    if (!pending.eof()) {
        result.outcome = Submission::AlreadyInApproval;
        result.pendingNumber = pending.text(QStringLiteral("编号"));
        return result;
    }

    const qlonglong serial = nextSerial(latest);
    result.number = request.departmentCode + request.departmentName + QString::number(serial);
    addApplication(connection, request, result.number, serial, bill);
    addFirstStep(connection, result.number, node);
    connection.execute(copyRouteAndLinesSql(result.number, request.restorationType, request.categoryCode,
                                            bill.text(QStringLiteral("ID"))));
    transaction.commit();
    return result;
}

} // namespace RestorationSubmission
