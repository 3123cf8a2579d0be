#pragma once

#include <QString>

// The statements of the restoration approval window. Values go in through
// db::sqlValue.

// The operator's step in an application: the application's number, the post and the
// step number (环节序号) as text.
struct ApprovalStepKey
{
    QString applicationNumber;
    QString postCode;
    QString stepNumber;
};

// What a decision records in the step: who decided, the opinion as typed, and when
// (ISO "yyyy-MM-dd HH:mm:ss", which the database reads under any date setting).
struct ApprovalDecision
{
    QString approver;
    QString opinion;
    QString now;
};

// A node of an application's route.
struct ApprovalRouteNode
{
    QString department;
    QString post;
    QString stepNumber;
};

// ---- the applications waiting at a post
// Every step of the post joined with its application and the step's department: one
// row per step, so an application with two steps for the post comes twice.
QString applicationStepsOfPostSql(const QString &postCode);
// The same for the list, only applications in approval when asked.
QString applicationListSql(const QString &postCode, bool onlyInApproval);
// The steps of the post in one application, found by the application's ID.
QString applicationStepsByIdSql(const QString &postCode, qlonglong applicationId);
// The bill's lines as they were copied into the application.
QString copiedLinesSql(const QString &applicationNumber);

// ---- the look-ups of an agreement
// The bill of an application, by book and bill number.
QString billOfApplicationSql(const QString &bookNumber, const QString &billNumber);
// The latest closing date of a department as text YYYYMMDD (封帐年月); NULL when none.
QString latestClosingMonthSql(const QString &departmentCode);
// The route node after a step (the smallest greater position, by length, then value).
QString nextRouteNodeSql(const QString &applicationNumber, const QString &stepNumber);
// The operator's step as it stands: who decided it, when, and whether he agreed.
QString stepStateSql(const ApprovalStepKey &step);
// The step an application already has for a node, if any.
QString stepOfNodeSql(const QString &applicationNumber, const ApprovalRouteNode &node);

// ---- decisions
// Completes the operator's step as agreed (是否同意=1).
QString agreedStepSql(const ApprovalStepKey &step, const ApprovalDecision &decision);
// The last approval, as one batch: the application approved, the step agreed, the
// bill's lines deleted, its issue and void columns cleared, and the fee receipts that
// point at it released.
QString lastApprovalBatchSql(const ApprovalStepKey &step, const ApprovalDecision &decision, const QString &bookNumber,
                             const QString &billNumber);
// A Pending step for the next node, then the operator's step agreed, as one batch.
QString passToNextNodeBatchSql(const ApprovalStepKey &step, const ApprovalDecision &decision,
                               const ApprovalRouteNode &next);
// The application rejected and the operator's step refused, as one batch.
QString rejectionBatchSql(const ApprovalStepKey &step, const ApprovalDecision &decision);
