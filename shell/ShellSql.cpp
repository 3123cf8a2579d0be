#include "shell/ShellSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

QString employeeLookupSql(const QString &user, const QString &password)
{
    return QStringLiteral("Select * From 员工档案 Where 工号 ='") + sqlValue(user) + QStringLiteral("' and 帐号密码='")
        + sqlValue(password) + QStringLiteral("'");
}

QString currentPostsSql(const QString &user)
{
    return QStringLiteral("Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,")
        + QStringLiteral(" 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,")
        + QStringLiteral(" 岗位员工new.主要岗位 From 岗位员工new")
        + QStringLiteral(" Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号")
        + QStringLiteral(" Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号")
        + QStringLiteral(" Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号")
        + QStringLiteral(" Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号")
        + QStringLiteral(" Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号")
        + QStringLiteral(" Where 岗位员工new.员工代号='") + sqlValue(user)
        + QStringLiteral("' and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)");
}

QString permissionsSql(const QString &post)
{
    return QStringLiteral("SELECT DISTINCT 岗位权限设置.ID , 岗位权限设置.组代号, 岗位权限设置.岗位代号, 岗位权限设置.授权, "
                          "GroupPrivilege.FormName, GroupPrivilege.Popedom")
        + QStringLiteral(" FROM  岗位权限设置 INNER JOIN GroupPrivilege ON 岗位权限设置.组代号 = GroupPrivilege.GroupID")
        + QStringLiteral(" Where 授权 = 1 AND 岗位代号='") + sqlValue(post) + QStringLiteral("'")
        + QStringLiteral(" ORDER BY GroupPrivilege.Popedom");
}
