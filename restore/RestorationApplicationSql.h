#pragma once

#include <QString>

// The statements of the restoration application window.

// The condition of the bill search: book number, bill number (contained), or both.
// Empty when neither is given (after trimming); values go in as typed.
QString billSearchCondition(const QString &bookNumber, const QString &billNumber);
// The bills of a condition, with the issuing department's name.
QString billSearchSql(const QString &condition);
// The lines of one bill.
QString billLinesSql(const QString &bookNumber, const QString &billNumber);
// The bill with a book number and a bill number.
QString billByNumbersSql(const QString &bookNumber, const QString &billNumber);

// The first node serving a department category: the lowest position of the nodes of
// the paths in force of the restoration type "作废恢复" for the category.
QString firstNodeSql(const QString &categoryCode);
// The application with the greatest serial (longest first, then greatest value).
QString latestSerialSql();
// An application of a bill that is still in approval (审批中), by the bill's ID or by
// its book and number.
QString applicationInApprovalOfBillSql(qlonglong billId, const QString &bookNumber, const QString &billNumber);
// Empty recordsets for adding an application and its first step.
QString newApplicationSql();
QString newStepSql();
// Copies the route (every node of the paths in force of the type and category) and
// the bill's lines into an application, as one batch.
QString copyRouteAndLinesSql(const QString &applicationNumber, const QString &restorationType,
                             const QString &categoryCode, const QString &billId);

// The applications of a department, all or only those in approval.
QString applicationsOfDepartmentSql(const QString &departmentCode, bool onlyInApproval);
// The steps of one application, with department, post and the employee holding it.
QString stepsOfApplicationSql(const QString &applicationNumber);
