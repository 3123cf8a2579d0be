#include "report/VoidReportSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

namespace {

QString quotedList(const QStringList &values)
{
    QStringList quoted;
    for (const QString &v : values)
        quoted << QLatin1Char('\'') + sqlValue(v) + QLatin1Char('\'');
    return quoted.join(QLatin1Char(','));
}

QString iso(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QString officesOfDepartmentSql(const QString &departmentCode)
{
    return QStringLiteral("Select  GYD_DH,GYD_Name  From 设置管理处  Where 对应部门代号='") + sqlValue(departmentCode)
        + QStringLiteral("'  Order By GYD_dh");
}

QString chargeCategoriesSql()
{
    return QStringLiteral("Select 收费类别 From SETUPSFXM Where 终止日期 Is Null Group By 收费类别 Order By 收费类别");
}

QString chargeItemsOfCategorySql(const QString &category)
{
    return QStringLiteral("Select * From SetupSFXM Where 收费类别='") + sqlValue(category)
        + QStringLiteral("' AND 终止日期 Is Null Order by Len(DH),DH");
}

QString paymentMethodsSql()
{
    return QStringLiteral("select * from 收款方式列表");
}

QString cashiersOfDepartmentSql(const QString &departmentCode)
{
    return QStringLiteral("SELECT 岗位信息new.职能部门代号, 员工档案.姓名,员工档案.ID, 岗位信息new.岗位代号")
        + QStringLiteral(" FROM 岗位信息new INNER JOIN 员工档案 ON 岗位信息new.工号 = 员工档案.工号")
        + QStringLiteral(" WHERE (岗位信息new.职能部门代号 = N'") + sqlValue(departmentCode) + QStringLiteral("')")
        + QStringLiteral(" ORDER BY 岗位信息new.岗位代号");
}

// The department's lines without an office are joined to the department once, however
// many offices it owns, so each line is listed once. The void dates are whole days:
// from the first day's start to the start of the day after the last, since a void
// date may carry a time of day.
QString voidReportSql(const VoidReportFilter &filter)
{
    QString sql = QStringLiteral(" SELECT 票据.入库单编号, 票据.票据编号, 票据.付款人, 票据开票数据.项目, 票据开票数据.摘要, 票据开票数据.金额,票据.开票日期,票据.开票人, 票据.收款日期, 票据.收款人");
    if (filter.mode == VoidReportFilter::DepartmentWithoutOffice)
        sql += QStringLiteral(" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join (Select Distinct 对应部门代号 From 设置管理处) 设置管理处 On 票据.开票部门编号=设置管理处.对应部门代号");
    else
        sql += QStringLiteral(" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join 设置管理处 On 票据.开票部门编号=设置管理处.对应部门代号");
    switch (filter.mode) {
    case VoidReportFilter::AllOfOfficeDepartment:
        sql += QStringLiteral(" WHERE 设置管理处.GYD_DH='") + sqlValue(filter.officeCode) + QStringLiteral("' ");
        break;
    case VoidReportFilter::DepartmentWithoutOffice:
        sql += QStringLiteral(" WHERE 设置管理处.对应部门代号='") + sqlValue(filter.departmentCode) + QStringLiteral("' And 票据.管理处 is Null  ");
        break;
    case VoidReportFilter::OfficeOnly:
        sql += QStringLiteral(" WHERE 设置管理处.GYD_DH='") + sqlValue(filter.officeCode) + QStringLiteral("' AND 票据.管理处='")
            + sqlValue(filter.officeCode) + QStringLiteral("' ");
        break;
    }
    sql += QStringLiteral(" And 票据.作废日期 >= '") + iso(filter.firstDay) + QStringLiteral("' and 票据.作废日期 < '")
        + iso(filter.lastDay.addDays(1)) + QStringLiteral("' ");
    sql += QStringLiteral("  AND  票据.收款方式 in (") + quotedList(filter.paymentMethods) + QStringLiteral(") and 票据开票数据.收费项目代号 in (")
        + quotedList(filter.itemCodes) + QStringLiteral(")");
    if (!filter.cashier.isEmpty())
        sql += QStringLiteral(" AND 票据.收款人='") + sqlValue(filter.cashier) + QStringLiteral("'");
    sql += QStringLiteral(" Order By 入库单编号,票据编号,付款人");
    return sql;
}
