#include "stock/StockSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

QString stockBillTypesSql()
{
    return QStringLiteral("SELECT 票据类型代号, 票据类型,份数,面值,税控") + QStringLiteral(" From 票据类型 WHERE (票据类型代号 IN (N'21', N'22'))")
        + QStringLiteral(" ORDER BY 票据类型代号");
}

QString machinesInUseSql(const QDate &today)
{
    // The date goes in as ISO text, which SQL Server's style 102 reads as well.
    const QString day = today.toString(QStringLiteral("yyyy-MM-dd"));
    return QStringLiteral("SELECT 税控机编号, 票据税控机.启用日期, 票据税控机.终止日期,职能部门new.职能部门名称 From 票据税控机 "
                          "Left Join 职能部门New  职能部门new ON 票据税控机.使用单位 = 职能部门new.职能部门编号 "
                          "WHERE (票据税控机.启用日期 <= CONVERT(DATETIME, '")
        + day
        + QStringLiteral("', 102)) AND Not 票据税控机.启用日期 Is Null AND (票据税控机.终止日期 IS NULL OR 票据税控机.终止日期 > "
                         "CONVERT(DATETIME, '")
        + day + QStringLiteral("', 102))");
}

QString bookByNumberSql(const QString &bookNumber)
{
    return QStringLiteral("SELECT * From 票据入库单 where 入库单编号='") + sqlValue(bookNumber) + QStringLiteral("'");
}

QString billsOfBookSql(const QString &bookNumber)
{
    return QStringLiteral("SELECT * From 票据 Where 入库单编号='") + sqlValue(bookNumber) + QStringLiteral("'");
}

QString billInBookSql(const QString &bookNumber, const QString &billNumber)
{
    return QStringLiteral("SELECT ID From 票据 Where 入库单编号='") + sqlValue(bookNumber) + QStringLiteral("' And 票据编号='")
        + sqlValue(billNumber) + QStringLiteral("'");
}

QString yearlyBookNumber(const QString &typeCode, const QDate &day)
{
    return typeCode + QLatin1Char('-') + QString::number(day.year()).rightJustified(4, QLatin1Char('0'));
}
