#include "bench/WindowStatements.h"

namespace bench {

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
