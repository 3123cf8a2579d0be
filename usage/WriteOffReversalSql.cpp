#include "usage/WriteOffReversalSql.h"

#include "platform/db/SqlText.h"

using db::sqlValue;

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString bookCondition(const QString &book)
{
    return QStringLiteral(" WHERE 入库单编号 = '") + sqlValue(book) + QStringLiteral("'");
}

// The book and the record, as the record and book look-ups and the batches name them.
QString bookAndRecordCondition(const QString &book, const QString &record)
{
    return bookCondition(book) + QStringLiteral(" and 票据核销.核销记录编号 =  '") + sqlValue(record) + QStringLiteral("'");
}

QString reduceRecordSql(const QString &book, const QString &record)
{
    return QStringLiteral("Update 票据核销记录")
        + QStringLiteral(" set 票据核销记录.开票金额=票据核销记录.开票金额-票据核销.开票金额合计,"
                         "票据核销记录.预开金额=票据核销记录.预开金额-票据核销.预开金额合计")
        + QStringLiteral(",票据核销记录.未用数=票据核销记录.未用数-票据核销.未用份数,"
                         "票据核销记录.预开数量=票据核销记录.预开数量-票据核销.预开份数,"
                         "票据核销记录.作废数量=票据核销记录.作废数量-票据核销.作废份数")
        + QStringLiteral(",票据核销记录.已开数量=票据核销记录.已开数量-票据核销.开票份数,"
                         "票据核销记录.核销数量=票据核销记录.核销数量-1")
        + QStringLiteral(" FROM 票据核销 INNER JOIN 票据核销记录 ON 票据核销.核销记录编号 = 票据核销记录.核销记录编号")
        + bookCondition(book) + QStringLiteral(" and 票据核销记录.核销记录编号 =  '") + sqlValue(record)
        + QStringLiteral("'");
}

QString deleteRecordSql(const QString &record)
{
    return QStringLiteral("delete from 票据核销记录") + QStringLiteral(" where 票据核销记录.核销记录编号 =  '")
        + sqlValue(record) + QStringLiteral("'");
}

// Statements 2 to 5 of both batches: the book back to "领用", its bills' write-off
// stamps cleared, its issue lines reopened, its row of the record removed.
QString reopenBookSql(const QString &book, const QString &record)
{
    return QStringLiteral(" UPDATE    票据入库单 SET 状态 = '领用'") + bookCondition(book) + CrLf
        + QStringLiteral(" UPDATE 票据 SET 核销日期 = NULL, 核销人 = NULL") + bookCondition(book) + CrLf
        + QStringLiteral("UPDATE    票据领用清单 SET  核销日期 = NULL, 归还日期 = NULL") + bookCondition(book) + CrLf
        + QStringLiteral(" delete From 票据核销") + bookAndRecordCondition(book, record);
}

} // namespace

QString bookWriteOffInfoSql(const QString &book)
{
    return QStringLiteral("SELECT  票据入库单.入库单编号, 票据入库单.起始编号, 票据入库单.终止编号,票据核销记录.核销记录编号, "
                          "票据领用清单.核销日期, 票据领用清单.归还日期, 票据类型.票据类型, "
                          "职能部门new.职能部门名称,票据领用记录.领用部门代号,票据入库单.状态")
        + QStringLiteral(" FROM 票据领用记录 INNER JOIN") + QStringLiteral(" 票据核销记录 INNER JOIN")
        + QStringLiteral(" 票据入库单 INNER JOIN")
        + QStringLiteral(" 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号 INNER JOIN")
        + QStringLiteral(" 票据核销 ON 票据入库单.入库单编号 = 票据核销.入库单编号 INNER JOIN")
        + QStringLiteral(" 票据领用清单 ON 票据入库单.入库单编号 = 票据领用清单.入库单编号 "
                         "ON 票据核销记录.核销记录编号 = 票据核销.核销记录编号 ON")
        + QStringLiteral(" 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号 INNER JOIN")
        + QStringLiteral(" 职能部门new ON 票据领用记录.领用部门代号 = 职能部门new.职能部门编号")
        + QStringLiteral(" where 票据入库单.入库单编号='") + sqlValue(book) + QStringLiteral("'");
}

QString writeOffRecordOfBookSql(const QString &book, const QString &record)
{
    return QStringLiteral("SELECT 票据核销记录.*")
        + QStringLiteral(" FROM 票据核销 INNER JOIN 票据核销记录 ON 票据核销.核销记录编号 = 票据核销记录.核销记录编号")
        + bookCondition(book) + QStringLiteral(" and 票据核销记录.核销记录编号 =  '") + sqlValue(record)
        + QStringLiteral("'");
}

QString bookInWriteOffRecordSql(const QString &book, const QString &record)
{
    return QStringLiteral("select 票据核销.*") + QStringLiteral(" from 票据核销") + bookAndRecordCondition(book, record);
}

QString booksInWriteOffRecordCountSql(const QString &record)
{
    return QStringLiteral("select count(核销记录编号) AS 计数 from 票据核销 ")
        + QStringLiteral(" WHERE 票据核销.核销记录编号 =  '") + sqlValue(record) + QStringLiteral("'");
}

QString takeBookOutOfRecordBatchSql(const QString &book, const QString &record)
{
    return reduceRecordSql(book, record) + CrLf + reopenBookSql(book, record);
}

QString deleteRecordBatchSql(const QString &book, const QString &record)
{
    return deleteRecordSql(record) + CrLf + reopenBookSql(book, record);
}
