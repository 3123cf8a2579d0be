#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace db {
class Connection;
}

// Submitting an application to restore a voided bill: numbered on from the latest
// serial, with its first step at the lowest node of the paths in force for the
// operator's department category, the whole route and a copy of the bill's lines.
namespace RestorationSubmission {

struct Request
{
    QString bookNumber;      // 票据本编号 as entered
    QString billNumber;      // 票据编号 as entered
    QString reason;          // 调整事由
    QString restorationType; // 类型名称: the kind of restoration chosen ("作废恢复")
    QString departmentCode;  // the operator's department: 职能部门编号
    QString departmentName;  // 职能部门名称
    QString categoryCode;    // its 部门类别代号, which chooses the paths
    QDateTime at;            // when it is submitted
};

enum class Submission { Submitted, NoPath, NoBill, NotVoided, AlreadyInApproval };

struct Result
{
    Submission outcome = Submission::Submitted;
    QString number;        // the new application's 编号 (Submitted)
    QString pendingNumber; // the application already in approval (AlreadyInApproval)
};

// Why the bill the two numbers name cannot be applied for (NoBill, NotVoided); none
// when it can.
std::optional<Submission> billRefusal(db::Connection &connection, const QString &bookNumber, const QString &billNumber);

// The whole submission is one transaction that holds the right to write from its
// start: the serial read cannot be taken by another submission before this one stores
// it, nor can a second application for the same bill slip in beside one in approval,
// and a failure (which escapes) leaves nothing of the application behind.
Result submit(db::Connection &connection, const Request &request);

} // namespace RestorationSubmission
