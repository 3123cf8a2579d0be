#include "bench/WindowStatements.h"

namespace bench {

QString issuedBooksStatement(const QString &department)
{
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
        + QStringLiteral(" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null ")
        + QStringLiteral(" GROUP BY 票据.入库单编号, 票据领用记录.领用部门代号, 票据领用记录.领用日期,票据入库单.起始编号 , 票据入库单.终止编号, 票据类型.票据类型代号,票据类型.票据类型,票据入库单.份数,票据领用清单.ID")
        + QStringLiteral(" HAVING (票据领用记录.领用部门代号 = N'") + department + QStringLiteral("')")
        + QStringLiteral(" ORDER BY 票据类型.票据类型代号,票据.入库单编号");
}

namespace {

QString quotedList(const QStringList &values)
{
    QStringList quoted;
    for (const QString &v : values)
        quoted << QLatin1Char('\'') + v + QLatin1Char('\'');
    return quoted.join(QLatin1Char(','));
}

} // namespace

QString voidReportStatement(const QString &office, const QString &firstDay, const QString &lastDay,
                            const QStringList &paymentMethods, const QStringList &itemCodes)
{
    return QStringLiteral(" SELECT 票据.入库单编号, 票据.票据编号, 票据.付款人, 票据开票数据.项目, 票据开票数据.摘要, 票据开票数据.金额,票据.开票日期,票据.开票人, 票据.收款日期, 票据.收款人")
        + QStringLiteral(" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join 设置管理处 On 票据.开票部门编号=设置管理处.对应部门代号")
        + QStringLiteral(" WHERE 设置管理处.GYD_DH='") + office + QStringLiteral("' ")
        + QStringLiteral(" And 票据.作废日期 Between '") + firstDay + QStringLiteral("' and '") + lastDay + QStringLiteral("' ")
        + QStringLiteral("  AND  票据.收款方式 in (") + quotedList(paymentMethods) + QStringLiteral(") and 票据开票数据.收费项目代号 in (")
        + quotedList(itemCodes) + QStringLiteral(")") + QStringLiteral(" Order By 入库单编号,票据编号,付款人");
}

} // namespace bench
