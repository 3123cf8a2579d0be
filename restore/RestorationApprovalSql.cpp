#include "restore/RestorationApprovalSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

namespace {

QString quoted(const QString &value)
{
    return QStringLiteral("'") + sqlValue(value) + QStringLiteral("'");
}

// Where one of the post's steps in an application is.
QString whereStep(const ApprovalStepKey &step)
{
    return QStringLiteral(" where 编号='") + sqlValue(step.applicationNumber) + QStringLiteral("' and 岗位='")
        + sqlValue(step.postCode) + QStringLiteral("' and 环节序号='") + sqlValue(step.stepNumber) + QStringLiteral("'");
}

// Which bill of a book.
QString whereBill(const QString &billColumn, const QString &bookColumn, const QString &bookNumber,
                  const QString &billNumber)
{
    return QStringLiteral(" Where ") + billColumn + QStringLiteral(" = '") + sqlValue(billNumber) + QStringLiteral("'")
        + QStringLiteral(" AND ") + bookColumn + QStringLiteral("='") + sqlValue(bookNumber) + QStringLiteral("'");
}

} // namespace

QString applicationStepsOfPostSql(const QString &postCode)
{
    return QStringLiteral("SELECT     作废恢复审批单.ID, 作废恢复审批单.编号, 作废恢复审批单.部门, 作废恢复审批单.提交日期, 作废恢复审批单.审核状态, 作废恢复审批单.审核日期, ")
        + QStringLiteral(" 作废恢复审批单.审核是否通过, 作废恢复审批单.调整事由, 作废恢复审批单.审批人, 作废恢复审批单.流水, 作废恢复审批单.类型名称, 作废恢复审批单.票据金额,")
        + QStringLiteral(" 作废恢复审批单.收款方式, 作废恢复审批单.票据ID, 作废恢复审批单.部门编号, 作废恢复审批单.票据编号, 作废恢复审批单.票据入库单编号,")
        + QStringLiteral(" 作废恢复审批单.票据作废日期, 作废恢复审批.岗位, 作废恢复审批.审批人 AS Expr2, 作废恢复审批.审批日期, 作废恢复审批.审批意见, 作废恢复审批.环节序号,职能部门new.职能部门名称")
        + QStringLiteral(" FROM         作废恢复审批单 INNER JOIN 作废恢复审批 ON 作废恢复审批单.编号 = 作废恢复审批.编号 INNER JOIN  职能部门new ON 作废恢复审批.部门 = 职能部门new.职能部门编号 where 岗位='")
        + sqlValue(postCode) + QStringLiteral("'");
}

QString applicationListSql(const QString &postCode, bool onlyInApproval)
{
    QString sql = applicationStepsOfPostSql(postCode);
    if (onlyInApproval)
        sql += QStringLiteral(" and 审核状态='审批中'");
    return sql;
}

QString applicationStepsByIdSql(const QString &postCode, qlonglong applicationId)
{
    return applicationStepsOfPostSql(postCode) + QStringLiteral(" and 作废恢复审批单.ID =") + QString::number(applicationId);
}

QString copiedLinesSql(const QString &applicationNumber)
{
    return QStringLiteral("select * from 票据作废恢复明细 where 编号=") + quoted(applicationNumber);
}

QString billOfApplicationSql(const QString &bookNumber, const QString &billNumber)
{
    return QStringLiteral("SELECT * From 票据") + QStringLiteral(" where 票据.入库单编号 = ") + quoted(bookNumber)
        + QStringLiteral(" and 票据.票据编号= ") + quoted(billNumber);
}

QString latestClosingMonthSql(const QString &departmentCode)
{
    return QStringLiteral("select convert(char(8),max(封帐日期),112) as 封帐年月 from 封帐")
        + QStringLiteral(" where 职能部门代号=") + quoted(departmentCode);
}

QString nextRouteNodeSql(const QString &applicationNumber, const QString &stepNumber)
{
    // No blank before "order by": the statement has always been sent this way.
    return QStringLiteral("select top 1 * from 作废恢复审批流程 where 编号='") + sqlValue(applicationNumber)
        + QStringLiteral("' and 环节序号>'") + sqlValue(stepNumber) + QStringLiteral("'")
        + QStringLiteral("order by len(环节序号),环节序号");
}

QString stepStateSql(const ApprovalStepKey &step)
{
    return QStringLiteral("select 审批人, 审批日期, 是否同意 from 作废恢复审批") + whereStep(step);
}

QString stepOfNodeSql(const QString &applicationNumber, const ApprovalRouteNode &node)
{
    return QStringLiteral("select ID from 作废恢复审批 where 编号=") + quoted(applicationNumber)
        + QStringLiteral(" and 部门=") + quoted(node.department) + QStringLiteral(" and 岗位=") + quoted(node.post)
        + QStringLiteral(" and 环节序号=") + quoted(node.stepNumber);
}

QString agreedStepSql(const ApprovalStepKey &step, const ApprovalDecision &decision)
{
    return QStringLiteral(" update 作废恢复审批 set 审批人='") + sqlValue(decision.approver) + QStringLiteral("',审批意见='")
        + sqlValue(decision.opinion) + QStringLiteral("',审批日期='") + sqlValue(decision.now) + QStringLiteral("',是否同意=1")
        + whereStep(step);
}

QString lastApprovalBatchSql(const ApprovalStepKey &step, const ApprovalDecision &decision, const QString &bookNumber,
                             const QString &billNumber)
{
    return QStringLiteral("update 作废恢复审批单 set 审核状态='审核通过',审核日期='") + sqlValue(decision.now)
        + QStringLiteral("',审核是否通过=1") + QStringLiteral(" where 编号=") + quoted(step.applicationNumber)
        + agreedStepSql(step, decision)
        + QStringLiteral(" Delete From 票据开票数据") + whereBill(QStringLiteral("票据编号"), QStringLiteral("入库单编号"), bookNumber, billNumber)
        + QStringLiteral("  Update 票据") + QStringLiteral(" Set [开票部门编号] = Null,[开票日期] =Null,[付款人] =Null")
        + QStringLiteral(",[预开] = 0,[收款日期] = Null,[开票人] = Null")
        + QStringLiteral(",[收款人] = Null,[作废日期] = Null,[作废原因] =Null,[作废人] =Null")
        + whereBill(QStringLiteral("票据编号"), QStringLiteral("入库单编号"), bookNumber, billNumber)
        + QStringLiteral(" Update WYZJ Set 发票号码=Null,票据入库单编号=Null,ZJ_SKRQ=Null")
        + whereBill(QStringLiteral("发票号码"), QStringLiteral("票据入库单编号"), bookNumber, billNumber);
}

QString passToNextNodeBatchSql(const ApprovalStepKey &step, const ApprovalDecision &decision,
                               const ApprovalRouteNode &next)
{
    return QStringLiteral("insert into 作废恢复审批(编号,部门,岗位,环节序号)") + QStringLiteral(" values('")
        + sqlValue(step.applicationNumber) + QStringLiteral("','") + sqlValue(next.department) + QStringLiteral("','")
        + sqlValue(next.post) + QStringLiteral("','") + sqlValue(next.stepNumber) + QStringLiteral("')")
        + agreedStepSql(step, decision);
}

QString rejectionBatchSql(const ApprovalStepKey &step, const ApprovalDecision &decision)
{
    return QStringLiteral("update 作废恢复审批单 set 审核状态='审核不通过',审核日期='") + sqlValue(decision.now)
        + QStringLiteral("',审核是否通过=0") + QStringLiteral(" where 编号=") + quoted(step.applicationNumber)
        + QStringLiteral(" update 作废恢复审批 set 审批人='") + sqlValue(decision.approver) + QStringLiteral("',审批意见='")
        + sqlValue(decision.opinion) + QStringLiteral("',审批日期='") + sqlValue(decision.now) + QStringLiteral("',是否同意=0")
        + whereStep(step);
}
