#include "usage/IssuedBooksSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

QString usageBillTypesSql()
{
    return QStringLiteral("SELECT *") + QStringLiteral(" From 票据类型") + QStringLiteral(" ORDER BY 票据类型代号");
}

QString operatorDepartmentSql(const QString &departmentCode)
{
    return QStringLiteral("SELECT 职能部门编号, 职能部门名称 From 职能部门new") + QStringLiteral(" Where 职能部门编号 ='")
        + sqlValue(departmentCode) + QStringLiteral("'") + QStringLiteral(" ORDER BY 职能部门编号 ");
}

QString issuedBooksSql(const QString &departmentCode, const QString &typeName)
{
    const QString typeCondition = typeName.isEmpty()
        ? QStringLiteral(" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null ")
        : QStringLiteral(" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null And 票据类型.票据类型='")
            + sqlValue(typeName) + QStringLiteral("'");
    return QStringLiteral("SELECT 票据领用清单.ID,SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 票据.金额 END) AS 开票金额,")
        + QStringLiteral(" COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 开票数, ")
        + QStringLiteral(" COUNT(CASE WHEN NOT 作废日期 IS NULL THEN 1 END) AS 作废数,")
        + QStringLiteral(" COUNT(CASE WHEN (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 未开数, ")
        + QStringLiteral(" COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 1 END) AS 预开数,")
        + QStringLiteral(" SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 票据.金额 END) AS 预开金额, ")
        + QStringLiteral(" 票据领用记录.领用部门代号, 票据领用记录.领用日期 , 票据入库单.起始编号, 票据入库单.终止编号, 票据.入库单编号, 票据类型.票据类型代号,票据类型.票据类型, 票据入库单.份数")
        + QStringLiteral(" FROM 票据领用记录 INNER JOIN 票据领用清单 ON 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号")
        + QStringLiteral(" Inner Join 票据入库单 ON 票据领用清单.入库单编号 = 票据入库单.入库单编号 INNER JOIN 票据 ON 票据入库单.入库单编号 = 票据.入库单编号")
        + QStringLiteral(" INNER JOIN 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号")
        + typeCondition
        + QStringLiteral(" GROUP BY 票据.入库单编号, 票据领用记录.领用部门代号, 票据领用记录.领用日期,票据入库单.起始编号 , 票据入库单.终止编号, 票据类型.票据类型代号,票据类型.票据类型,票据入库单.份数,票据领用清单.ID")
        + QStringLiteral(" HAVING (票据领用记录.领用部门代号 = N'") + sqlValue(departmentCode) + QStringLiteral("')")
        + QStringLiteral(" ORDER BY 票据类型.票据类型代号,票据.入库单编号");
}

QString billsOfBookDetailsSql(const QString &bookNumber)
{
    return QStringLiteral("SELECT 票据编号, 开票日期, 付款人, 金额, 收款方式, 收款日期, 作废日期, 作废原因, 核销日期")
        + QStringLiteral(" FROM 票据 WHERE 入库单编号 = '") + sqlValue(bookNumber) + QStringLiteral("'")
        + QStringLiteral(" ORDER BY 票据编号");
}
