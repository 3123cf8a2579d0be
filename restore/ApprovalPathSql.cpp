#include "restore/ApprovalPathSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

namespace {

QString pathColumns()
{
    return QStringLiteral("SELECT ID, 流程代号, 流程名称, 作废恢复类别, 部门类别, 设置日期, 终止日期") + QStringLiteral(" From 作废恢复流程 ");
}

} // namespace

QString departmentCategoriesSql()
{
    return QStringLiteral("Select * From 职能部门类别") + QStringLiteral(" Where 终止日期 Is Null") + QStringLiteral(" Order By 部门类别代号");
}

QString pathsInForceSql(const QString &restorationType)
{
    return pathColumns() + QStringLiteral(" Where 作废恢复类别 ='") + sqlValue(restorationType) + QStringLiteral("'")
        + QStringLiteral(" AND 终止日期 Is Null") + QStringLiteral(" Order By 流程代号");
}

QString pathByCodeSql(const QString &code)
{
    return pathColumns() + QStringLiteral(" Where 流程代号='") + sqlValue(code) + QStringLiteral("'");
}

QString pathByIdSql(qlonglong id)
{
    return pathColumns() + QStringLiteral(" Where ID=") + QString::number(id);
}

// The day goes in as ISO text, which the database reads the same under any date setting.
QString terminatePathSql(const QString &code, const QDate &day)
{
    return QStringLiteral("Update 作废恢复流程") + QStringLiteral(" Set 终止日期='") + day.toString(QStringLiteral("yyyy-MM-dd"))
        + QStringLiteral("'") + QStringLiteral(" Where 流程代号='") + sqlValue(code) + QStringLiteral("'");
}

QString deletePathSql(const QString &code)
{
    return QStringLiteral("Delete From 作废恢复流程 Where 流程代号='") + sqlValue(code) + QStringLiteral("'")
        + QStringLiteral(" Delete From 作废恢复流程设置 Where 流程代号='") + sqlValue(code) + QStringLiteral("'");
}

QString departmentsInForceSql()
{
    return QStringLiteral(" select 职能部门new.职能部门编号,职能部门new.职能部门名称,table2.上级部门编号,职能部门new.序号")
        + QStringLiteral(" From 职能部门new left join")
        + QStringLiteral(" (select 上级部门new.职能部门编号,上级部门new.上级部门编号 from 上级部门new,")
        + QStringLiteral(" (select 职能部门编号,max(起始日期) as 设置日期 from 上级部门new group by 职能部门编号) as table1")
        + QStringLiteral(" where 上级部门new.职能部门编号 = table1.职能部门编号 and 上级部门new.起始日期 = table1.设置日期) as table2")
        + QStringLiteral(" on 职能部门new.职能部门编号 = table2.职能部门编号 where 职能部门new.终止日期 is null")
        + QStringLiteral(" Order by 职能部门new.显示协调位置");
}

QString postsOfDepartmentSql(const QString &departmentCode)
{
    return QStringLiteral("select 岗位信息new.岗位名称,岗位信息new.起始日期 as 设置日期,员工档案.姓名,职能部门new.职能部门编号, ")
        + QStringLiteral("岗位信息new.岗位代号, 岗位信息new.岗位名称, 职能部门new.职能部门名称")
        + QStringLiteral(" from 职能部门new inner join 岗位信息new on 职能部门new.职能部门编号 = 岗位信息new.职能部门代号")
        + QStringLiteral(" left join 员工档案 on 员工档案.工号 = 岗位信息new.工号")
        + QStringLiteral(" where 职能部门new.职能部门编号 = '") + sqlValue(departmentCode) + QStringLiteral("'")
        + QStringLiteral(" and 职能部门new.终止日期 is null") + QStringLiteral(" and 岗位信息new.终止日期 is null")
        + QStringLiteral(" order by len(岗位信息new.岗位代号),岗位信息new.岗位代号");
}

QString nodesOfPathSql(const QString &pathCode)
{
    return QStringLiteral("SELECT 作废恢复流程设置.ID, 作废恢复流程设置.流程代号, 作废恢复流程设置.部门编号, 作废恢复流程设置.岗位编号, 作废恢复流程设置.顺序, 作废恢复流程设置.备注, ")
        + QStringLiteral("职能部门new.职能部门名称 , 岗位信息new.岗位名称, 员工档案.姓名")
        + QStringLiteral(" FROM 作废恢复流程设置 INNER JOIN 职能部门new ON 作废恢复流程设置.部门编号 = 职能部门new.职能部门编号")
        + QStringLiteral(" INNER JOIN 岗位信息new ON 作废恢复流程设置.岗位编号 = 岗位信息new.岗位代号")
        + QStringLiteral(" LEFT OUTER JOIN 员工档案 ON 岗位信息new.工号 = 员工档案.工号")
        + QStringLiteral(" Where 流程代号='") + sqlValue(pathCode) + QStringLiteral("'") + QStringLiteral(" Order By 顺序");
}

QString newNodeSql()
{
    return QStringLiteral("SELECT ID, 流程代号, 部门编号, 岗位编号, 顺序, 备注") + QStringLiteral(" From 作废恢复流程设置")
        + QStringLiteral(" Where ID=0");
}

QString deleteNodeSql(qlonglong id)
{
    return QStringLiteral("Delete From 作废恢复流程设置 Where ID=") + QString::number(id);
}

QString nodePositionSql(qlonglong id)
{
    return QStringLiteral("SELECT 顺序 From 作废恢复流程设置 Where ID=") + QString::number(id);
}

QString closeGapSql(const QString &pathCode, int removedPosition)
{
    return QStringLiteral("Update 作废恢复流程设置") + QStringLiteral(" Set 顺序=顺序-1") + QStringLiteral(" Where 流程代号 = '")
        + sqlValue(pathCode) + QStringLiteral("'") + QStringLiteral(" AND 顺序>") + QString::number(removedPosition);
}

QString reorderNodesSql(const QList<qlonglong> &ids)
{
    QString batch;
    for (int i = 0; i < ids.size(); ++i)
        batch += QStringLiteral(" Update 作废恢复流程设置 Set 顺序=") + QString::number(i + 1) + QStringLiteral(" Where ID=")
            + QString::number(ids[i]);
    return batch;
}
