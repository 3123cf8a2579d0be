#include "restore/RestorationApplicationSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

namespace {

// The paths that route new applications: those of the type and category still in force.
QString pathsInForce(const QString &restorationType, const QString &categoryCode)
{
    return QStringLiteral("(select 流程代号 from 作废恢复流程") + QStringLiteral(" where 作废恢复类别= '") + sqlValue(restorationType)
        + QStringLiteral("'") + QStringLiteral(" and 部门类别='") + sqlValue(categoryCode) + QStringLiteral("'")
        + QStringLiteral(" and 终止日期 is null)");
}

} // namespace

QString billSearchCondition(const QString &bookNumber, const QString &billNumber)
{
    const bool book = !bookNumber.trimmed().isEmpty();
    const bool bill = !billNumber.trimmed().isEmpty();
    if (book && bill)
        return QStringLiteral(" where 票据.入库单编号 = '") + sqlValue(bookNumber) + QStringLiteral("'")
            + QStringLiteral(" and 票据.票据编号 like '%") + sqlValue(billNumber) + QStringLiteral("%'");
    if (book)
        return QStringLiteral(" where 票据.入库单编号 = '") + sqlValue(bookNumber) + QStringLiteral("'");
    if (bill)
        return QStringLiteral(" where 票据.票据编号 like  '%") + sqlValue(billNumber) + QStringLiteral("%'");
    return QString();
}

QString billSearchSql(const QString &condition)
{
    return QStringLiteral("SELECT     票据.ID, 票据.票据编号, 票据.入库单编号, 票据.开票部门编号, 票据.开票日期, 票据.付款人, 票据.金额, 票据.预开, 票据.收款日期, 票据.开票人, 票据.收款人, 票据.作废日期, 票据.作废原因, 票据.作废人, 票据.核销日期, 票据.核销人, 票据.收款方式, 票据.收款凭证编号, 票据.被换票入库单编号, 票据.退票日期, 票据.被换票票据编号, 票据.退票凭证编号, 票据.内换日期, 票据.内换票据编号, 票据.内换凭证编号, 票据.对应调换票据入库单, 票据.对应调换票据编号,  票据.退款日期, 票据.退款原因, 票据.合同编号, 职能部门new.职能部门名称")
        + QStringLiteral(" FROM    票据 LEFT OUTER JOIN  职能部门new ON 票据.开票部门编号 = 职能部门new.职能部门编号") + condition;
}

QString billLinesSql(const QString &bookNumber, const QString &billNumber)
{
    return QStringLiteral("SELECT   票据开票数据.ID, 票据开票数据.票据编号, 票据开票数据.品名, 票据开票数据.规格, 票据开票数据.项目, 票据开票数据.数量, 票据开票数据.单价, 票据开票数据.单位, 票据开票数据.金额, ")
        + QStringLiteral(" 票据开票数据.摘要, 票据开票数据.科目代号, 票据开票数据.票据id, 票据开票数据.入库单编号, 票据开票数据.收费项目代号, 票据开票数据.非日常, 票据开票数据.收款凭证编号,票据开票数据.税额,票据开票数据.税率,票据开票数据.应税科目,票据开票数据.票据id,票据开票数据.不含税单价,票据开票数据.不含税金额  ")
        + QStringLiteral("   from         票据开票数据") + QStringLiteral(" where 票据开票数据.入库单编号 = '") + sqlValue(bookNumber)
        + QStringLiteral("'") + QStringLiteral(" and 票据开票数据.票据编号= '") + sqlValue(billNumber) + QStringLiteral("'");
}

QString billByNumbersSql(const QString &bookNumber, const QString &billNumber)
{
    return QStringLiteral("SELECT * From 票据") + QStringLiteral(" where 票据.入库单编号 = '") + sqlValue(bookNumber) + QStringLiteral("'")
        + QStringLiteral(" and 票据.票据编号= '") + sqlValue(billNumber) + QStringLiteral("'");
}

QString firstNodeSql(const QString &categoryCode)
{
    return QStringLiteral("select top 1 * from 作废恢复流程设置 where 流程代号 in ")
        + pathsInForce(QStringLiteral("作废恢复"), categoryCode) + QStringLiteral(" order by len(顺序),顺序 ");
}

QString latestSerialSql()
{
    return QStringLiteral("select top 1 流水 from 作废恢复审批单 order by len(流水) desc, 流水 desc");
}

QString applicationInApprovalOfBillSql(qlonglong billId, const QString &bookNumber, const QString &billNumber)
{
    return QStringLiteral("select top 1 编号 from 作废恢复审批单 where 审核状态='审批中' and (票据ID=") + QString::number(billId)
        + QStringLiteral(" or (票据入库单编号='") + sqlValue(bookNumber) + QStringLiteral("' and 票据编号='") + sqlValue(billNumber)
        + QStringLiteral("'))");
}

QString newApplicationSql()
{
    return QStringLiteral("select * from 作废恢复审批单 where 1=0");
}

QString newStepSql()
{
    return QStringLiteral(" select * from 作废恢复审批 where 1=1");
}

QString copyRouteAndLinesSql(const QString &applicationNumber, const QString &restorationType,
                             const QString &categoryCode, const QString &billId)
{
    return QStringLiteral("insert into 作废恢复审批流程(编号,部门,岗位,环节序号)") + QStringLiteral(" select '") + sqlValue(applicationNumber)
        + QStringLiteral("',部门编号,岗位编号,顺序 from 作废恢复流程设置 where 流程代号 in ")
        + pathsInForce(restorationType, categoryCode) + QStringLiteral(" order by len(顺序),顺序 ")
        + QStringLiteral(" insert into 票据作废恢复明细(票据入库单编号,票据编号,金额,税金,收费项目,科目,收费项目代号,应税科目,税率,摘要,不含税单价,不含税金额,编号)")
        + QStringLiteral(" select 入库单编号,票据编号,金额,税额,项目,科目代号,收费项目代号,应税科目,税率,摘要,不含税单价,不含税金额,")
        + QStringLiteral("'") + sqlValue(applicationNumber) + QStringLiteral("'") + QStringLiteral(" from 票据开票数据 where 票据id ='")
        + sqlValue(billId) + QStringLiteral("'");
}

QString applicationsOfDepartmentSql(const QString &departmentCode, bool onlyInApproval)
{
    return QStringLiteral("select * from 作废恢复审批单 where 部门编号='") + sqlValue(departmentCode) + QStringLiteral("'")
        + (onlyInApproval ? QStringLiteral(" and 审核状态='审批中'") : QString());
}

QString stepsOfApplicationSql(const QString &applicationNumber)
{
    return QStringLiteral(" SELECT     职能部门new.职能部门名称 AS 部门, 岗位信息new.岗位名称 AS 岗位, 员工档案.姓名, 作废恢复审批.审批人, 作废恢复审批.审批日期, 作废恢复审批.审批意见, ")
        + QStringLiteral(" 作废恢复审批.环节序号 FROM  员工档案 INNER JOIN  作废恢复审批 INNER JOIN  职能部门new ON 作废恢复审批.部门 = 职能部门new.职能部门编号 INNER JOIN")
        + QStringLiteral(" 岗位信息new ON 作废恢复审批.岗位 = 岗位信息new.岗位代号 AND 职能部门new.职能部门编号 = 岗位信息new.职能部门代号 ON 员工档案.工号 = 岗位信息new.工号 where 作废恢复审批.编号='")
        + sqlValue(applicationNumber) + QStringLiteral("'");
}
