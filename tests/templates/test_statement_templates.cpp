// Every statement the windows send, built exactly as the windows build it and run on
// the embedded database through the program's connection. SQL Server receives these
// texts unchanged; on SQLite they pass through the T-SQL adapter first, so these
// cases check that the adapted statements run and keep their SQL Server meaning.

#include "tests/fixtures/TestDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/db/TsqlAdapter.h"
#include "shell/AppState.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Values the windows insert as dates: ISO text.
const QString Today = u"2011-06-15"_s;
const QString Now = u"2011-06-15 10:20:30"_s;

// ================================================================ statement texts

// ---------------------------------------------------------------- login window

QString employeeLookup(const QString &user, const QString &password)
{
    return u"Select * From 员工档案 Where 工号 ='"_s + user + u"' and 帐号密码='"_s + password + u"'"_s;
}

QString operatorPosts(const QString &user)
{
    return u"Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,"_s
        + u" 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,"_s
        + u" 岗位员工new.主要岗位 From 岗位员工new"_s
        + u" Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号"_s
        + u" Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号"_s
        + u" Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号"_s
        + u" Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号"_s
        + u" Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号"_s
        + u" Where 岗位员工new.员工代号='"_s + user
        + u"' and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)"_s;
}

// ---------------------------------------------------------------- main window

QString menuPermissions(const QString &post)
{
    return u"SELECT DISTINCT 岗位权限设置.ID , 岗位权限设置.组代号, 岗位权限设置.岗位代号, 岗位权限设置.授权, GroupPrivilege.FormName, GroupPrivilege.Popedom"_s
        + u" FROM  岗位权限设置 INNER JOIN GroupPrivilege ON 岗位权限设置.组代号 = GroupPrivilege.GroupID"_s
        + u" Where 授权 = 1 AND 岗位代号='"_s + post + u"'"_s
        + u" ORDER BY GroupPrivilege.Popedom"_s;
}

// ---------------------------------------------------------------- stock-in window

QString stockInBillTypes()
{
    return u"SELECT 票据类型代号, 票据类型,份数,面值,税控"_s + u" From 票据类型 WHERE (票据类型代号 IN (N'21', N'22'))"_s
        + u" ORDER BY 票据类型代号"_s;
}

QString stockInMachinesInUse(const QString &today)
{
    return u"SELECT 税控机编号, 票据税控机.启用日期, 票据税控机.终止日期,职能部门new.职能部门名称 From 票据税控机 Left Join 职能部门New  职能部门new ON 票据税控机.使用单位 = 职能部门new.职能部门编号 WHERE (票据税控机.启用日期 <= CONVERT(DATETIME, '"_s
        + today
        + u"', 102)) AND Not 票据税控机.启用日期 Is Null AND (票据税控机.终止日期 IS NULL OR 票据税控机.终止日期 > CONVERT(DATETIME, '"_s
        + today + u"', 102))"_s;
}

QString stockInBook(const QString &book)
{
    return u"SELECT * From 票据入库单 where 入库单编号='"_s + book + u"'"_s;
}

QString stockInBills(const QString &book)
{
    return u"SELECT * From 票据 Where 入库单编号='"_s + book + u"'"_s;
}

// ---------------------------------------------------------------- usage screen

QString usageBillTypes()
{
    return u"SELECT *"_s + u" From 票据类型"_s + u" ORDER BY 票据类型代号"_s;
}

QString usageDepartment(const QString &dept)
{
    return u"SELECT 职能部门编号, 职能部门名称 From 职能部门new"_s + u" Where 职能部门编号 ='"_s + dept + u"'"_s
        + u" ORDER BY 职能部门编号 "_s;
}

// typeName empty = "全部".
QString issuedBooks(const QString &dept, const QString &typeName)
{
    QString sql = u"SELECT 票据领用清单.ID,SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 票据.金额 END) AS 开票金额,"_s
        + u" COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 开票数, "_s
        + u" COUNT(CASE WHEN NOT 作废日期 IS NULL THEN 1 END) AS 作废数,"_s
        + u" COUNT(CASE WHEN (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 未开数, "_s
        + u" COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 1 END) AS 预开数,"_s
        + u" SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 票据.金额 END) AS 预开金额, "_s
        + u" 票据领用记录.领用部门代号, 票据领用记录.领用日期 , 票据入库单.起始编号, 票据入库单.终止编号, 票据.入库单编号, 票据类型.票据类型代号,票据类型.票据类型, 票据入库单.份数"_s
        + u" FROM 票据领用记录 INNER JOIN 票据领用清单 ON 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号"_s
        + u" Inner Join 票据入库单 ON 票据领用清单.入库单编号 = 票据入库单.入库单编号 INNER JOIN 票据 ON 票据入库单.入库单编号 = 票据.入库单编号"_s
        + u" INNER JOIN 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号"_s;
    if (typeName.isEmpty())
        sql += u" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null "_s;
    else
        sql += u" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null And 票据类型.票据类型='"_s + typeName + u"'"_s;
    sql += u" GROUP BY 票据.入库单编号, 票据领用记录.领用部门代号, 票据领用记录.领用日期,票据入库单.起始编号 , 票据入库单.终止编号, 票据类型.票据类型代号,票据类型.票据类型,票据入库单.份数,票据领用清单.ID"_s
        + u" HAVING (票据领用记录.领用部门代号 = N'"_s + dept + u"')"_s
        + u" ORDER BY 票据类型.票据类型代号,票据.入库单编号"_s;
    return sql;
}

// ---------------------------------------------------------------- reverse write-off window

QString writeOffLookup(const QString &book)
{
    return u"SELECT  票据入库单.入库单编号, 票据入库单.起始编号, 票据入库单.终止编号,票据核销记录.核销记录编号, 票据领用清单.核销日期, 票据领用清单.归还日期, 票据类型.票据类型, 职能部门new.职能部门名称,票据领用记录.领用部门代号,票据入库单.状态"_s
        + u" FROM 票据领用记录 INNER JOIN"_s + u" 票据核销记录 INNER JOIN"_s + u" 票据入库单 INNER JOIN"_s
        + u" 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号 INNER JOIN"_s
        + u" 票据核销 ON 票据入库单.入库单编号 = 票据核销.入库单编号 INNER JOIN"_s
        + u" 票据领用清单 ON 票据入库单.入库单编号 = 票据领用清单.入库单编号 ON 票据核销记录.核销记录编号 = 票据核销.核销记录编号 ON"_s
        + u" 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号 INNER JOIN"_s
        + u" 职能部门new ON 票据领用记录.领用部门代号 = 职能部门new.职能部门编号"_s + u" where 票据入库单.入库单编号='"_s + book
        + u"'"_s;
}

QString writeOffRecordRow(const QString &book, const QString &record)
{
    return u"SELECT 票据核销记录.*"_s
        + u" FROM 票据核销 INNER JOIN 票据核销记录 ON 票据核销.核销记录编号 = 票据核销记录.核销记录编号"_s
        + u" WHERE 入库单编号 = '"_s + book + u"'"_s + u" and 票据核销记录.核销记录编号 =  '"_s + record + u"'"_s;
}

QString writeOffBookRow(const QString &book, const QString &record)
{
    return u"select 票据核销.*"_s + u" from 票据核销"_s + u" WHERE 入库单编号 = '"_s + book + u"'"_s
        + u" and 票据核销.核销记录编号 =  '"_s + record + u"'"_s;
}

QString writeOffBookCount(const QString &record)
{
    return u"select count(核销记录编号) AS 计数 from 票据核销 "_s + u" WHERE 票据核销.核销记录编号 =  '"_s + record + u"'"_s;
}

// Statements 2 to 5, common to both batches.
QString reverseWriteOffTail(const QString &book, const QString &record)
{
    return u" UPDATE    票据入库单 SET 状态 = '领用'"_s + u" WHERE 入库单编号 = '"_s + book + u"'"_s + u"\r\n"_s
        + u" UPDATE 票据 SET 核销日期 = NULL, 核销人 = NULL"_s + u" WHERE 入库单编号 = '"_s + book + u"'"_s + u"\r\n"_s
        + u"UPDATE    票据领用清单 SET  核销日期 = NULL, 归还日期 = NULL"_s + u" WHERE 入库单编号 = '"_s + book + u"'"_s
        + u"\r\n"_s + u" delete From 票据核销"_s + u" WHERE 入库单编号 = '"_s + book + u"'"_s
        + u" and 票据核销.核销记录编号 =  '"_s + record + u"'"_s;
}

QString reverseWriteOffTakeOutBatch(const QString &book, const QString &record)
{
    return u"Update 票据核销记录"_s
        + u" set 票据核销记录.开票金额=票据核销记录.开票金额-票据核销.开票金额合计,票据核销记录.预开金额=票据核销记录.预开金额-票据核销.预开金额合计"_s
        + u",票据核销记录.未用数=票据核销记录.未用数-票据核销.未用份数,票据核销记录.预开数量=票据核销记录.预开数量-票据核销.预开份数,票据核销记录.作废数量=票据核销记录.作废数量-票据核销.作废份数"_s
        + u",票据核销记录.已开数量=票据核销记录.已开数量-票据核销.开票份数,票据核销记录.核销数量=票据核销记录.核销数量-1"_s
        + u" FROM 票据核销 INNER JOIN 票据核销记录 ON 票据核销.核销记录编号 = 票据核销记录.核销记录编号"_s
        + u" WHERE 入库单编号 = '"_s + book + u"'"_s + u" and 票据核销记录.核销记录编号 =  '"_s + record + u"'"_s
        + u"\r\n"_s + reverseWriteOffTail(book, record);
}

QString reverseWriteOffDeleteBatch(const QString &book, const QString &record)
{
    return u"delete from 票据核销记录"_s + u" where 票据核销记录.核销记录编号 =  '"_s + record + u"'"_s + u"\r\n"_s
        + reverseWriteOffTail(book, record);
}

// ---------------------------------------------------------------- approval path window

QString pathCategories()
{
    return u"Select * From 职能部门类别"_s + u" Where 终止日期 Is Null"_s + u" Order By 部门类别代号"_s;
}

const QString PathColumns = u"SELECT ID, 流程代号, 流程名称, 作废恢复类别, 部门类别, 设置日期, 终止日期"_s;

QString pathsOfType(const QString &type)
{
    return PathColumns + u" From 作废恢复流程 "_s + u" Where 作废恢复类别 ='"_s + type + u"'"_s + u" AND 终止日期 Is Null"_s
        + u" Order By 流程代号"_s;
}

QString pathByCode(const QString &code)
{
    return PathColumns + u" From 作废恢复流程 "_s + u" Where 流程代号='"_s + code + u"'"_s;
}

QString pathById(const QString &id)
{
    return PathColumns + u" From 作废恢复流程 "_s + u" Where ID="_s + id;
}

QString terminatePath(const QString &code, const QString &date)
{
    return u"Update 作废恢复流程"_s + u" Set 终止日期='"_s + date + u"'"_s + u" Where 流程代号='"_s + code + u"'"_s;
}

QString deletePathBatch(const QString &code)
{
    return u"Delete From 作废恢复流程 Where 流程代号='"_s + code + u"'"_s + u" Delete From 作废恢复流程设置 Where 流程代号='"_s
        + code + u"'"_s;
}

// ---------------------------------------------------------------- node editor

QString departmentTree()
{
    return u" select 职能部门new.职能部门编号,职能部门new.职能部门名称,table2.上级部门编号,职能部门new.序号"_s
        + u" From 职能部门new left join"_s
        + u" (select 上级部门new.职能部门编号,上级部门new.上级部门编号 from 上级部门new,"_s
        + u" (select 职能部门编号,max(起始日期) as 设置日期 from 上级部门new group by 职能部门编号) as table1"_s
        + u" where 上级部门new.职能部门编号 = table1.职能部门编号 and 上级部门new.起始日期 = table1.设置日期) as table2"_s
        + u" on 职能部门new.职能部门编号 = table2.职能部门编号 where 职能部门new.终止日期 is null"_s
        + u" Order by 职能部门new.显示协调位置"_s;
}

QString postsOfDepartment(const QString &dept)
{
    return u"select 岗位信息new.岗位名称,岗位信息new.起始日期 as 设置日期,员工档案.姓名,职能部门new.职能部门编号, "_s
        + u"岗位信息new.岗位代号, 岗位信息new.岗位名称, 职能部门new.职能部门名称"_s
        + u" from 职能部门new inner join 岗位信息new on 职能部门new.职能部门编号 = 岗位信息new.职能部门代号"_s
        + u" left join 员工档案 on 员工档案.工号 = 岗位信息new.工号"_s + u" where 职能部门new.职能部门编号 = '"_s + dept + u"'"_s
        + u" and 职能部门new.终止日期 is null"_s + u" and 岗位信息new.终止日期 is null"_s
        + u" order by len(岗位信息new.岗位代号),岗位信息new.岗位代号"_s;
}

QString nodesOfPath(const QString &code)
{
    return u"SELECT 作废恢复流程设置.ID, 作废恢复流程设置.流程代号, 作废恢复流程设置.部门编号, 作废恢复流程设置.岗位编号, 作废恢复流程设置.顺序, 作废恢复流程设置.备注, "_s
        + u"职能部门new.职能部门名称 , 岗位信息new.岗位名称, 员工档案.姓名"_s
        + u" FROM 作废恢复流程设置 INNER JOIN 职能部门new ON 作废恢复流程设置.部门编号 = 职能部门new.职能部门编号"_s
        + u" INNER JOIN 岗位信息new ON 作废恢复流程设置.岗位编号 = 岗位信息new.岗位代号"_s
        + u" LEFT OUTER JOIN 员工档案 ON 岗位信息new.工号 = 员工档案.工号"_s + u" Where 流程代号='"_s + code + u"'"_s
        + u" Order By 顺序"_s;
}

QString emptyNodeSet()
{
    return u"SELECT ID, 流程代号, 部门编号, 岗位编号, 顺序, 备注"_s + u" From 作废恢复流程设置"_s + u" Where ID=0"_s;
}

QString deleteNode(const QString &id)
{
    return u"Delete From 作废恢复流程设置 Where ID="_s + id;
}

QString closeNodeGap(const QString &code, const QString &position)
{
    return u"Update 作废恢复流程设置"_s + u" Set 顺序=顺序-1"_s + u" Where 流程代号 = '"_s + code + u"'"_s + u" AND 顺序>"_s
        + position;
}

QString storeNodeOrderBatch(const QStringList &idsInOrder)
{
    QString batch;
    for (int i = 0; i < idsInOrder.size(); ++i)
        batch += u" Update 作废恢复流程设置 Set 顺序="_s + QString::number(i + 1) + u" Where ID="_s + idsInOrder[i];
    return batch;
}

// ---------------------------------------------------------------- restoration application window

QString billSearchCondition(const QString &book, const QString &bill)
{
    if (!book.trimmed().isEmpty() && !bill.trimmed().isEmpty())
        return u" where 票据.入库单编号 = '"_s + book + u"'"_s + u" and 票据.票据编号 like '%"_s + bill + u"%'"_s;
    if (!book.trimmed().isEmpty())
        return u" where 票据.入库单编号 = '"_s + book + u"'"_s;
    return u" where 票据.票据编号 like  '%"_s + bill + u"%'"_s;
}

QString billSearch(const QString &book, const QString &bill)
{
    return u"SELECT     票据.ID, 票据.票据编号, 票据.入库单编号, 票据.开票部门编号, 票据.开票日期, 票据.付款人, 票据.金额, 票据.预开, 票据.收款日期, 票据.开票人, 票据.收款人, 票据.作废日期, 票据.作废原因, 票据.作废人, 票据.核销日期, 票据.核销人, 票据.收款方式, 票据.收款凭证编号, 票据.被换票入库单编号, 票据.退票日期, 票据.被换票票据编号, 票据.退票凭证编号, 票据.内换日期, 票据.内换票据编号, 票据.内换凭证编号, 票据.对应调换票据入库单, 票据.对应调换票据编号,  票据.退款日期, 票据.退款原因, 票据.合同编号, 职能部门new.职能部门名称"_s
        + u" FROM    票据 LEFT OUTER JOIN  职能部门new ON 票据.开票部门编号 = 职能部门new.职能部门编号"_s
        + billSearchCondition(book, bill);
}

QString billLines(const QString &book, const QString &bill)
{
    return u"SELECT   票据开票数据.ID, 票据开票数据.票据编号, 票据开票数据.品名, 票据开票数据.规格, 票据开票数据.项目, 票据开票数据.数量, 票据开票数据.单价, 票据开票数据.单位, 票据开票数据.金额, "_s
        + u" 票据开票数据.摘要, 票据开票数据.科目代号, 票据开票数据.票据id, 票据开票数据.入库单编号, 票据开票数据.收费项目代号, 票据开票数据.非日常, 票据开票数据.收款凭证编号,票据开票数据.税额,票据开票数据.税率,票据开票数据.应税科目,票据开票数据.票据id,票据开票数据.不含税单价,票据开票数据.不含税金额  "_s
        + u"   from         票据开票数据"_s + u" where 票据开票数据.入库单编号 = '"_s + book + u"'"_s
        + u" and 票据开票数据.票据编号= '"_s + bill + u"'"_s;
}

// Also the bill check of an approval.
QString billRow(const QString &book, const QString &bill)
{
    return u"SELECT * From 票据"_s + u" where 票据.入库单编号 = '"_s + book + u"'"_s + u" and 票据.票据编号= '"_s + bill
        + u"'"_s;
}

QString firstNodeForCategory(const QString &category)
{
    return u"select top 1 * from 作废恢复流程设置 where 流程代号 in (select 流程代号 from 作废恢复流程"_s
        + u" where 作废恢复类别= '作废恢复'"_s + u" and 部门类别='"_s + category + u"')"_s + u" order by len(顺序),顺序 "_s;
}

QString firstStepRecordset()
{
    return u" select * from 作废恢复审批 where 1=1"_s;
}

QString submissionBatch(const QString &number, const QString &type, const QString &category, const QString &billId)
{
    return u"insert into 作废恢复审批流程(编号,部门,岗位,环节序号)"_s + u" select '"_s + number
        + u"',部门编号,岗位编号,顺序 from 作废恢复流程设置 where 流程代号 in (select 流程代号 from 作废恢复流程"_s
        + u" where 作废恢复类别= '"_s + type + u"'"_s + u" and 部门类别='"_s + category + u"')"_s
        + u" order by len(顺序),顺序 "_s
        + u" insert into 票据作废恢复明细(票据入库单编号,票据编号,金额,税金,收费项目,科目,收费项目代号,应税科目,税率,摘要,不含税单价,不含税金额,编号)"_s
        + u" select 入库单编号,票据编号,金额,税额,项目,科目代号,收费项目代号,应税科目,税率,摘要,不含税单价,不含税金额,"_s + u"'"_s
        + number + u"'"_s + u" from 票据开票数据 where 票据id ='"_s + billId + u"'"_s;
}

QString departmentApplications(const QString &dept, bool onlyInApproval)
{
    QString sql = u"select * from 作废恢复审批单 where 部门编号='"_s + dept + u"'"_s;
    if (onlyInApproval)
        sql += u" and 审核状态='审批中'"_s;
    return sql;
}

QString applicationProgress(const QString &number)
{
    return u" SELECT     职能部门new.职能部门名称 AS 部门, 岗位信息new.岗位名称 AS 岗位, 员工档案.姓名, 作废恢复审批.审批人, 作废恢复审批.审批日期, 作废恢复审批.审批意见, "_s
        + u" 作废恢复审批.环节序号 FROM  员工档案 INNER JOIN  作废恢复审批 INNER JOIN  职能部门new ON 作废恢复审批.部门 = 职能部门new.职能部门编号 INNER JOIN"_s
        + u" 岗位信息new ON 作废恢复审批.岗位 = 岗位信息new.岗位代号 AND 职能部门new.职能部门编号 = 岗位信息new.职能部门代号 ON 员工档案.工号 = 岗位信息new.工号 where 作废恢复审批.编号='"_s
        + number + u"'"_s;
}

// ---------------------------------------------------------------- restoration approval window

QString approvalQuery(const QString &post)
{
    return u"SELECT     作废恢复审批单.ID, 作废恢复审批单.编号, 作废恢复审批单.部门, 作废恢复审批单.提交日期, 作废恢复审批单.审核状态, 作废恢复审批单.审核日期, "_s
        + u" 作废恢复审批单.审核是否通过, 作废恢复审批单.调整事由, 作废恢复审批单.审批人, 作废恢复审批单.流水, 作废恢复审批单.类型名称, 作废恢复审批单.票据金额,"_s
        + u" 作废恢复审批单.收款方式, 作废恢复审批单.票据ID, 作废恢复审批单.部门编号, 作废恢复审批单.票据编号, 作废恢复审批单.票据入库单编号,"_s
        + u" 作废恢复审批单.票据作废日期, 作废恢复审批.岗位, 作废恢复审批.审批人 AS Expr2, 作废恢复审批.审批日期, 作废恢复审批.审批意见, 作废恢复审批.环节序号,职能部门new.职能部门名称"_s
        + u" FROM         作废恢复审批单 INNER JOIN 作废恢复审批 ON 作废恢复审批单.编号 = 作废恢复审批.编号 INNER JOIN  职能部门new ON 作废恢复审批.部门 = 职能部门new.职能部门编号 where 岗位='"_s
        + post + u"'"_s;
}

QString approvalList(const QString &post, bool onlyInApproval)
{
    return approvalQuery(post) + (onlyInApproval ? u" and 审核状态='审批中'"_s : QString());
}

QString approvalSelection(const QString &post, const QString &number)
{
    return approvalQuery(post) + u" and 作废恢复审批单.编号 ='"_s + number + u"'"_s;
}

QString copiedLines(const QString &number)
{
    return u"select * from 票据作废恢复明细 where 编号='"_s + number + u"'"_s;
}

QString applicationRow(const QString &number)
{
    return u"select * from 作废恢复审批单 where 编号='"_s + number + u"'"_s;
}

QString closingMonth(const QString &dept)
{
    return u"select convert(char(8),max(封帐日期),112) as 封帐年月 from 封帐"_s + u" where 职能部门代号='"_s + dept + u"'"_s;
}

QString nextNode(const QString &number, const QString &step)
{
    return u"select top 1 * from 作废恢复审批流程 where 编号='"_s + number + u"' and 环节序号>'"_s + step + u"'"_s
        + u"order by len(环节序号),环节序号"_s;
}

// S: the completion of the operator's step.
QString completeStep(const QString &name, const QString &opinion, const QString &now, const QString &number,
                     const QString &post, const QString &step)
{
    return u" update 作废恢复审批 set 审批人='"_s + name + u"',审批意见='"_s + opinion + u"',审批日期='"_s + now
        + u"',是否同意=1"_s + u" where 编号='"_s + number + u"' and 岗位='"_s + post + u"' and 环节序号='"_s + step + u"'"_s;
}

QString lastApprovalBatch(const QString &number, const QString &now, const QString &stepCompletion, const QString &bill,
                          const QString &book)
{
    return u"update 作废恢复审批单 set 审核状态='审核通过',审核日期='"_s + now + u"',审核是否通过=1"_s + u" where 编号='"_s
        + number + u"'"_s + stepCompletion + u" Delete From 票据开票数据"_s + u" Where 票据编号 = '"_s + bill + u"'"_s
        + u" AND 入库单编号='"_s + book + u"'"_s + u"  Update 票据"_s
        + u" Set [开票部门编号] = Null,[开票日期] =Null,[付款人] =Null"_s + u",[预开] = 0,[收款日期] = Null,[开票人] = Null"_s
        + u",[收款人] = Null,[作废日期] = Null,[作废原因] =Null,[作废人] =Null"_s + u" Where 票据编号 = '"_s + bill + u"'"_s
        + u" AND 入库单编号='"_s + book + u"'"_s + u" Update WYZJ Set 发票号码=Null,票据入库单编号=Null,ZJ_SKRQ=Null"_s
        + u" Where 发票号码 = '"_s + bill + u"'"_s + u" AND 票据入库单编号='"_s + book + u"'"_s;
}

QString nextNodeBatch(const QString &number, const QString &dept, const QString &post, const QString &step,
                      const QString &stepCompletion)
{
    return u"insert into 作废恢复审批(编号,部门,岗位,环节序号)"_s + u" values('"_s + number + u"','"_s + dept + u"','"_s + post
        + u"','"_s + step + u"')"_s + stepCompletion;
}

QString rejectBatch(const QString &number, const QString &now, const QString &name, const QString &opinion,
                    const QString &post, const QString &step)
{
    return u"update 作废恢复审批单 set 审核状态='审核不通过',审核日期='"_s + now + u"',审核是否通过=0"_s + u" where 编号='"_s
        + number + u"'"_s + u" update 作废恢复审批 set 审批人='"_s + name + u"',审批意见='"_s + opinion + u"',审批日期='"_s
        + now + u"',是否同意=0"_s + u" where 编号='"_s + number + u"' and 岗位='"_s + post + u"' and 环节序号='"_s + step
        + u"'"_s;
}

// ---------------------------------------------------------------- void statistics report window

QString reportOffices(const QString &dept)
{
    return u"Select  GYD_DH,GYD_Name  From 设置管理处  Where 对应部门代号='"_s + dept + u"'  Order By GYD_dh"_s;
}

QString reportChargeCategories()
{
    return u"Select 收费类别 From SETUPSFXM Where 终止日期 Is Null Group By 收费类别 Order By 收费类别"_s;
}

QString reportChargeItems(const QString &category)
{
    return u"Select * From SetupSFXM Where 收费类别='"_s + category + u"' AND 终止日期 Is Null Order by Len(DH),DH"_s;
}

QString reportPaymentMethods()
{
    return u"select * from 收款方式列表"_s;
}

QString reportCashiers(const QString &dept)
{
    return u"SELECT 岗位信息new.职能部门代号, 员工档案.姓名,员工档案.ID, 岗位信息new.岗位代号"_s
        + u" FROM 岗位信息new INNER JOIN 员工档案 ON 岗位信息new.工号 = 员工档案.工号"_s
        + u" WHERE (岗位信息new.职能部门代号 = N'"_s + dept + u"')"_s + u" ORDER BY 岗位信息new.岗位代号"_s;
}

enum class ReportMode { AllOfOffice = 0, ByDepartment = 1, ByOfficeItems = 2 };

struct ReportFilter
{
    ReportMode mode = ReportMode::AllOfOffice;
    QString office;
    QString department;
    QString from;
    QString to;
    QString payments; // quoted, comma-separated
    QString items;    // quoted, comma-separated
    QString cashier;  // empty = "选择全部"
};

QString voidReport(const ReportFilter &f)
{
    QString sql = u" SELECT 票据.入库单编号, 票据.票据编号, 票据.付款人, 票据开票数据.项目, 票据开票数据.摘要, 票据开票数据.金额,票据.开票日期,票据.开票人, 票据.收款日期, 票据.收款人"_s
        + u" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join 设置管理处 On 票据.开票部门编号=设置管理处.对应部门代号"_s;
    switch (f.mode) {
    case ReportMode::AllOfOffice:
        sql += u" WHERE 设置管理处.GYD_DH='"_s + f.office + u"' "_s;
        break;
    case ReportMode::ByDepartment:
        sql += u" WHERE 设置管理处.对应部门代号='"_s + f.department + u"' And 票据.管理处 is Null  "_s;
        break;
    case ReportMode::ByOfficeItems:
        sql += u" WHERE 设置管理处.GYD_DH='"_s + f.office + u"' AND 票据.管理处='"_s + f.office + u"' "_s;
        break;
    }
    sql += u" And 票据.作废日期 Between '"_s + f.from + u"' and '"_s + f.to + u"' "_s;
    sql += u"  AND  票据.收款方式 in ("_s + f.payments + u") and 票据开票数据.收费项目代号 in ("_s + f.items + u")"_s;
    if (!f.cashier.isEmpty())
        sql += u" AND 票据.收款人='"_s + f.cashier + u"'"_s;
    sql += u" Order By 入库单编号,票据编号,付款人"_s;
    return sql;
}

// ================================================================ running and reading

QString failureReport(const QString &sql, const db::DbError &error)
{
    return u"\nstatement:\n  "_s + sql + u"\nsent to SQLite as:\n  "_s
        + db::TsqlAdapter::toSqlite(sql).join(u"\n  ;\n  "_s) + u"\nerror: "_s + QString::number(error.number())
        + u" "_s + error.description();
}

bool tryOpen(const QString &sql, db::Recordset &into, QString &failure)
{
    try {
        into = DbConnection().open(sql);
        return true;
    } catch (const db::DbError &e) {
        failure = failureReport(sql, e);
        return false;
    }
}

bool tryOpenEditable(const QString &sql, QString &table, QString &failure)
{
    try {
        table = DbConnection().openEditable(sql).table();
        return true;
    } catch (const db::DbError &e) {
        failure = failureReport(sql, e);
        return false;
    }
}

bool tryExecute(const QString &sql, QString &failure)
{
    try {
        DbConnection().execute(sql);
        return true;
    } catch (const db::DbError &e) {
        failure = failureReport(sql, e);
        return false;
    }
}

// The text of a column in the current row, or a marker when the column or row is missing.
QString cell(const db::Recordset &rs, const QString &column)
{
    if (!rs.hasColumn(column))
        return u"<no column "_s + column + u">"_s;
    if (rs.eof())
        return u"<no row>"_s;
    return rs.isNull(column) ? u"<null>"_s : rs.text(column);
}

// All rows of a result as "a|b|c" lines for the columns named, in the order returned.
QStringList rows(db::Recordset rs, const QStringList &columns)
{
    QStringList out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const QString &c : columns)
            cells << cell(rs, c);
        out << cells.join(u'|');
    }
    return out;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Rows read back on the test's own connection (plain SQLite), columns joined by "|", NULL as "<null>".
QStringList readBack(TestDatabase &db, const QString &sql)
{
    QSqlQuery query(db.check().database());
    if (!query.exec(sql))
        return {u"<read-back failed: "_s + sql + u">"_s};
    QStringList out;
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i) {
            const QVariant v = query.value(i);
            if (v.isNull())
                cells << u"<null>"_s;
            else if (v.typeId() == QMetaType::Double)
                cells << QString::number(v.toDouble(), 'g', 15);
            else
                cells << v.toString();
        }
        out << cells.join(u'|');
    }
    return out;
}

QString readOne(TestDatabase &db, const QString &sql)
{
    const QStringList r = readBack(db, sql);
    return r.size() == 1 ? r.first() : u"<%1 rows>"_s.arg(r.size());
}

QString id(qlonglong value)
{
    return QString::number(value);
}

} // namespace

#define OPEN(rs, sql)                                                                                                 \
    db::Recordset rs;                                                                                                 \
    do {                                                                                                              \
        QString failure_;                                                                                             \
        QVERIFY2(tryOpen((sql), rs, failure_), qPrintable(failure_));                                                 \
    } while (false)

#define OPEN_EDITABLE(sql, expectedTable)                                                                             \
    do {                                                                                                              \
        QString failure_, table_;                                                                                     \
        QVERIFY2(tryOpenEditable((sql), table_, failure_), qPrintable(failure_));                                     \
        QCOMPARE(table_, QString(expectedTable));                                                                     \
    } while (false)

#define EXECUTE(sql)                                                                                                  \
    do {                                                                                                              \
        QString failure_;                                                                                             \
        QVERIFY2(tryExecute((sql), failure_), qPrintable(failure_));                                                  \
    } while (false)

// ================================================================ the cases

class TestStatementTemplates : public QObject
{
    Q_OBJECT

private slots:
    void loginQueries();
    void menuPermissionQuery();
    void stockInQueries();
    void issuedBooksQueries();
    void reverseWriteOffLookup();
    void reverseWriteOffTakeOut();
    void reverseWriteOffDelete();
    void approvalPathSettings();
    void approvalPathNodeEditor();
    void restorationApplicationQueries();
    void restorationSubmissionBatch();
    void approvalListAndChecks();
    void approvalNextNodeLookup();
    void approvalNextNode();
    void approvalLastNodeBatch();
    void approvalRejectBatch();
    void voidReportWindowQueries();
    void voidReportQuery();
};

// ---------------------------------------------------------------- login window

void TestStatementTemplates::loginQueries()
{
    TestDatabase db;
    addDepartmentCategory(db, u"01"_s, u"财务类"_s);
    addDepartmentCategory(db, u"02"_s, u"后勤类"_s);
    addPostCategory(db, u"1"_s, u"管理岗"_s);
    addPostCategory(db, u"2"_s, u"操作岗"_s);
    addDepartment(db, u"D1"_s, u"财务处"_s, u"01"_s);
    addDepartment(db, u"D2"_s, u"总务处"_s, u"02"_s);
    addEmployee(db, u"u1"_s, u"王五"_s, u"pw"_s);
    addEmployee(db, u"u2"_s, u"赵六"_s, u"pw"_s, u"2010-01-01"_s);
    addPost(db, u"P1"_s, u"会计"_s, u"D1"_s, u"1"_s);
    addPost(db, u"P2"_s, u"出纳"_s, u"D2"_s, u"2"_s);
    addPost(db, u"P3"_s, u"稽核"_s, u"D1"_s, u"1"_s);
    addPostHolder(db, u"u1"_s, u"P1"_s, true);
    addPostHolder(db, u"u1"_s, u"P2"_s, false);
    addPostHolder(db, u"u1"_s, u"P3"_s, false, u"2011-01-01"_s); // post given up
    addPostHolder(db, u"u2"_s, u"P1"_s, true);                    // employee has left
    db.install();

    OPEN(found, employeeLookup(u"u1"_s, u"pw"_s));
    QCOMPARE(rows(found, {u"工号"_s, u"姓名"_s}), QStringList{u"u1|王五"_s});
    OPEN(wrong, employeeLookup(u"u1"_s, u"PW"_s));
    QCOMPARE(wrong.recordCount(), 0);

    OPEN(posts, operatorPosts(u"u1"_s));
    QCOMPARE(sorted(rows(posts, {u"姓名"_s, u"职能部门编号"_s, u"职能部门名称"_s, u"岗位代号"_s, u"岗位名称"_s,
                                 u"部门类别代号"_s, u"部门类别名称"_s, u"岗位类别编号"_s, u"岗位类别名称"_s})),
             (QStringList{u"王五|D1|财务处|P1|会计|01|财务类|1|管理岗"_s, u"王五|D2|总务处|P2|出纳|02|后勤类|2|操作岗"_s}));
    posts.moveFirst();
    while (!posts.eof() && cell(posts, u"岗位代号"_s) != u"P1"_s)
        posts.moveNext();
    QVERIFY(!posts.eof());
    QCOMPARE(posts.flag(u"主要岗位"_s), true);

    OPEN(leftEmployee, operatorPosts(u"u2"_s));
    QCOMPARE(leftEmployee.recordCount(), 0);
}

// ---------------------------------------------------------------- main window

void TestStatementTemplates::menuPermissionQuery()
{
    TestDatabase db;
    auto grant = [&](const QString &group, const QString &post, int granted) {
        db.insert(u"岗位权限设置"_s, {{u"组代号"_s, group}, {u"岗位代号"_s, post}, {u"授权"_s, granted}});
    };
    auto entry = [&](const QString &group, const QString &form, int enabled) {
        db.insert(u"GroupPrivilege"_s, {{u"GroupID"_s, group}, {u"FormName"_s, form}, {u"Popedom"_s, enabled}});
    };
    grant(u"G1"_s, u"P1"_s, 1);
    grant(u"G2"_s, u"P1"_s, 1);
    grant(u"G3"_s, u"P1"_s, 0);
    grant(u"G1"_s, u"P2"_s, 1);
    entry(u"G1"_s, u"票据查看"_s, 1);
    entry(u"G1"_s, u"全电票入库"_s, 0);
    entry(u"G2"_s, u"全电票入库"_s, 1);
    entry(u"G3"_s, u"恢复路径设置"_s, 1);
    db.install();

    OPEN(rs, menuPermissions(u"P1"_s));
    const QStringList got = rows(rs, {u"组代号"_s, u"FormName"_s, u"Popedom"_s});
    QCOMPARE(got.size(), 3);
    // Ascending Popedom: the disabling row comes first, so an enabling one overrides it.
    QCOMPARE(got.first(), u"G1|全电票入库|0"_s);
    QCOMPARE(sorted(got.mid(1)), (QStringList{u"G1|票据查看|1"_s, u"G2|全电票入库|1"_s}));
}

// ---------------------------------------------------------------- stock-in window

void TestStatementTemplates::stockInQueries()
{
    TestDatabase db;
    addBillType(db, u"21"_s, u"普通发票"_s, 1, 0, true);
    addBillType(db, u"22"_s, u"专用发票"_s, 1, 5, false);
    addBillType(db, u"23"_s, u"收据"_s, 50, QVariant(), false);
    addDepartment(db, u"D1"_s, u"财务处"_s);
    auto machine = [&](const QString &number, const QVariant &dept, const QVariant &from, const QVariant &to) {
        db.insert(u"票据税控机"_s, {{u"税控机编号"_s, number}, {u"使用单位"_s, dept}, {u"启用日期"_s, from}, {u"终止日期"_s, to}});
    };
    machine(u"M1"_s, u"D1"_s, Today, QVariant());                  // started today: in use
    machine(u"M2"_s, u"D1"_s, u"2011-01-01"_s, Today);             // ended today: not
    machine(u"M3"_s, u"D1"_s, u"2011-06-16"_s, QVariant());        // starts tomorrow: not
    machine(u"M4"_s, u"D1"_s, QVariant(), QVariant());             // never started: not
    machine(u"M5"_s, u"DX"_s, u"2010-01-01"_s, u"2011-06-16"_s);   // ends tomorrow, no department: in use
    machine(u"M6"_s, u"D1"_s, u"2010-01-01"_s, u"2011-06-14"_s);   // ended yesterday: not
    db.insert(u"票据入库单"_s, {{u"入库单编号"_s, u"21-2011"_s}, {u"票据类型编号"_s, u"21"_s}, {u"份数"_s, 1},
                                {u"起始编号"_s, u"0007"_s}, {u"终止编号"_s, u"0007"_s}, {u"入库时间"_s, u"2011-06-01"_s},
                                {u"状态"_s, u"在库"_s}, {u"税控"_s, 1}});
    for (const QString &number : {u"0007"_s, u"0008"_s})
        db.insert(u"票据"_s, {{u"入库单编号"_s, u"21-2011"_s}, {u"票据编号"_s, number}});
    db.insert(u"票据"_s, {{u"入库单编号"_s, u"22-2011"_s}, {u"票据编号"_s, u"0001"_s}});
    db.install();

    OPEN(types, stockInBillTypes());
    QCOMPARE(rows(types, {u"票据类型代号"_s, u"票据类型"_s, u"税控"_s}),
             (QStringList{u"21|普通发票|True"_s, u"22|专用发票|False"_s}));

    OPEN(machines, stockInMachinesInUse(Today));
    QCOMPARE(sorted(rows(machines, {u"税控机编号"_s, u"职能部门名称"_s})), (QStringList{u"M1|财务处"_s, u"M5|<null>"_s}));
    // The system's short date form, as the window may write it.
    OPEN(machinesSlashed, stockInMachinesInUse(u"2011/06/15"_s));
    QCOMPARE(sorted(rows(machinesSlashed, {u"税控机编号"_s})), (QStringList{u"M1"_s, u"M5"_s}));

    OPEN(book, stockInBook(u"21-2011"_s));
    QCOMPARE(rows(book, {u"入库单编号"_s, u"起始编号"_s, u"状态"_s, u"使用"_s}), QStringList{u"21-2011|0007|在库|False"_s});
    OPEN_EDITABLE(stockInBook(u"21-2011"_s), u"票据入库单"_s);
    OPEN(noBook, stockInBook(u"21-2012"_s));
    QCOMPARE(noBook.recordCount(), 0);

    OPEN(bills, stockInBills(u"21-2011"_s));
    QCOMPARE(sorted(rows(bills, {u"票据编号"_s})), (QStringList{u"0007"_s, u"0008"_s}));
    OPEN_EDITABLE(stockInBills(u"21-2011"_s), u"票据"_s);
}

// ---------------------------------------------------------------- usage screen

void TestStatementTemplates::issuedBooksQueries()
{
    TestDatabase db;
    addBillType(db, u"21"_s, u"普通发票"_s, 50, 0, false);
    addBillType(db, u"22"_s, u"专用发票"_s, 50, 0, true);
    addDepartment(db, u"D1"_s, u"财务处"_s);
    addDepartment(db, u"D2"_s, u"总务处"_s);
    db.insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, u"L1"_s}, {u"领用日期"_s, u"2011-03-01"_s}, {u"领用部门代号"_s, u"D1"_s}});
    db.insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, u"L2"_s}, {u"领用日期"_s, u"2011-03-02"_s}, {u"领用部门代号"_s, u"D2"_s}});
    auto book = [&](const QString &number, const QString &type, const QString &status) {
        db.insert(u"票据入库单"_s, {{u"入库单编号"_s, number}, {u"票据类型编号"_s, type}, {u"份数"_s, 50},
                                    {u"起始编号"_s, number + u"-01"_s}, {u"终止编号"_s, number + u"-50"_s}, {u"状态"_s, status}});
    };
    auto issueLine = [&](const QString &record, const QString &number, const QVariant &returned) {
        return db.insert(u"票据领用清单"_s, {{u"领用记录编号"_s, record}, {u"入库单编号"_s, number}, {u"归还日期"_s, returned}});
    };
    auto bill = [&](const QString &bookNo, const QString &number, const QVariant &issued, const QVariant &voided,
                    int preIssued, const QVariant &paid, const QVariant &amount) {
        db.insert(u"票据"_s, {{u"入库单编号"_s, bookNo}, {u"票据编号"_s, number}, {u"开票日期"_s, issued},
                              {u"作废日期"_s, voided}, {u"预开"_s, preIssued}, {u"收款日期"_s, paid}, {u"金额"_s, amount}});
    };
    book(u"B1"_s, u"21"_s, u"领用"_s);
    book(u"B2"_s, u"22"_s, u"领用"_s);
    book(u"B3"_s, u"21"_s, u"领用"_s); // returned
    book(u"B4"_s, u"21"_s, u"核销"_s); // written off
    book(u"B5"_s, u"21"_s, u"领用"_s); // held by another department
    const qlonglong lineB1 = issueLine(u"L1"_s, u"B1"_s, QVariant());
    const qlonglong lineB2 = issueLine(u"L1"_s, u"B2"_s, QVariant());
    issueLine(u"L1"_s, u"B3"_s, u"2011-05-01"_s);
    issueLine(u"L1"_s, u"B4"_s, QVariant());
    issueLine(u"L2"_s, u"B5"_s, QVariant());
    bill(u"B1"_s, u"0001"_s, u"2011-03-05"_s, QVariant(), 0, u"2011-03-05"_s, 100);       // issued, paid
    bill(u"B1"_s, u"0002"_s, u"2011-03-06"_s, QVariant(), 1, QVariant(), 50);              // pre-issued, unpaid
    bill(u"B1"_s, u"0003"_s, u"2011-03-07"_s, QVariant(), 1, u"2011-03-08"_s, 20);        // pre-issued, paid
    bill(u"B1"_s, u"0004"_s, u"2011-03-07"_s, u"2011-03-09"_s, 0, QVariant(), 30);        // voided
    bill(u"B1"_s, u"0005"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());           // unused
    bill(u"B1"_s, u"0006"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());           // unused
    bill(u"B2"_s, u"0001"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());
    bill(u"B2"_s, u"0002"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());
    bill(u"B3"_s, u"0001"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());
    bill(u"B4"_s, u"0001"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());
    bill(u"B5"_s, u"0001"_s, QVariant(), QVariant(), 0, QVariant(), QVariant());
    db.install();

    OPEN(types, usageBillTypes());
    QCOMPARE(rows(types, {u"票据类型"_s}), (QStringList{u"普通发票"_s, u"专用发票"_s}));
    OPEN(dept, usageDepartment(u"D1"_s));
    QCOMPARE(rows(dept, {u"职能部门编号"_s, u"职能部门名称"_s}), QStringList{u"D1|财务处"_s});

    const QStringList columns = {u"ID"_s, u"入库单编号"_s, u"票据类型"_s, u"领用日期"_s, u"份数"_s, u"开票数"_s, u"作废数"_s,
                                 u"未开数"_s, u"预开数"_s, u"开票金额"_s, u"预开金额"_s};
    OPEN(all, issuedBooks(u"D1"_s, QString()));
    QCOMPARE(rows(all, columns),
             (QStringList{id(lineB1) + u"|B1|普通发票|2011-03-01|50|3|1|2|1|170|50"_s,
                          id(lineB2) + u"|B2|专用发票|2011-03-01|50|0|0|2|0|<null>|<null>"_s}));

    OPEN(ofType, issuedBooks(u"D1"_s, u"专用发票"_s));
    QCOMPARE(rows(ofType, {u"入库单编号"_s}), QStringList{u"B2"_s});
}

// ---------------------------------------------------------------- reverse write-off window

namespace {

// Two write-off records: R1 holds books B1 and B2 of department D1, R2 holds B3 of D2.
// The records carry another 核销日期 than the issue lines, whose date the lookup shows.
void seedWriteOffs(TestDatabase &db)
{
    addBillType(db, u"21"_s, u"普通发票"_s, 50, 0, false);
    addDepartment(db, u"D1"_s, u"财务处"_s);
    addDepartment(db, u"D2"_s, u"总务处"_s);
    db.insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, u"L1"_s}, {u"领用日期"_s, u"2011-03-01"_s}, {u"领用部门代号"_s, u"D1"_s}});
    db.insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, u"L2"_s}, {u"领用日期"_s, u"2011-03-02"_s}, {u"领用部门代号"_s, u"D2"_s}});
    auto book = [&](const QString &number, const QString &first, const QString &last) {
        db.insert(u"票据入库单"_s, {{u"入库单编号"_s, number}, {u"票据类型编号"_s, u"21"_s}, {u"份数"_s, 50},
                                    {u"起始编号"_s, first}, {u"终止编号"_s, last}, {u"状态"_s, u"核销"_s}});
    };
    book(u"B1"_s, u"0001"_s, u"0050"_s);
    book(u"B2"_s, u"0051"_s, u"0100"_s);
    book(u"B3"_s, u"0101"_s, u"0150"_s);
    auto issueLine = [&](const QString &record, const QString &number, const QString &date) {
        db.insert(u"票据领用清单"_s, {{u"领用记录编号"_s, record}, {u"入库单编号"_s, number}, {u"核销日期"_s, date},
                                      {u"归还日期"_s, date}});
    };
    issueLine(u"L1"_s, u"B1"_s, u"2011-05-31"_s);
    issueLine(u"L1"_s, u"B2"_s, u"2011-05-31"_s);
    issueLine(u"L2"_s, u"B3"_s, u"2011-06-01"_s);
    auto record = [&](const QString &number, const QString &dept, int books, int issued, int voided, int unused,
                      int preIssued, int amount, int preAmount) {
        db.insert(u"票据核销记录"_s, {{u"核销记录编号"_s, number}, {u"核销部门代号"_s, dept}, {u"核销日期"_s, u"2011-05-30"_s},
                                      {u"核销人"_s, u"赵六"_s}, {u"核销数量"_s, books}, {u"已开数量"_s, issued},
                                      {u"作废数量"_s, voided}, {u"未用数"_s, unused}, {u"预开数量"_s, preIssued},
                                      {u"开票金额"_s, amount}, {u"预开金额"_s, preAmount}});
    };
    record(u"R1"_s, u"D1"_s, 2, 30, 4, 66, 3, 1500, 300);
    record(u"R2"_s, u"D2"_s, 1, 10, 1, 39, 0, 500, 0);
    auto bookWriteOff = [&](const QString &recordNo, const QString &bookNo, int issued, int voided, int unused,
                            int amount, int preIssued, int preAmount) {
        db.insert(u"票据核销"_s, {{u"核销记录编号"_s, recordNo}, {u"入库单编号"_s, bookNo}, {u"核销份数"_s, 50},
                                  {u"开票份数"_s, issued}, {u"作废份数"_s, voided}, {u"未用份数"_s, unused},
                                  {u"开票金额合计"_s, amount}, {u"预开份数"_s, preIssued}, {u"预开金额合计"_s, preAmount}});
    };
    bookWriteOff(u"R1"_s, u"B1"_s, 20, 3, 27, 1000, 2, 200);
    bookWriteOff(u"R1"_s, u"B2"_s, 10, 1, 39, 500, 1, 100);
    bookWriteOff(u"R2"_s, u"B3"_s, 10, 1, 39, 500, 0, 0);
    auto bill = [&](const QString &bookNo, const QString &number, const QVariant &voided, const QVariant &reason) {
        db.insert(u"票据"_s, {{u"入库单编号"_s, bookNo}, {u"票据编号"_s, number}, {u"核销日期"_s, u"2011-05-31"_s},
                              {u"核销人"_s, u"赵六"_s}, {u"作废日期"_s, voided}, {u"作废原因"_s, reason}});
    };
    bill(u"B1"_s, u"0001"_s, QVariant(), QVariant());
    bill(u"B1"_s, u"0002"_s, u"2011-05-31"_s, u"核销时作废"_s);
    bill(u"B2"_s, u"0051"_s, QVariant(), QVariant());
    bill(u"B3"_s, u"0101"_s, QVariant(), QVariant());
}

const QString RecordColumns = u"核销记录编号,核销数量,已开数量,作废数量,未用数,预开数量,开票金额,预开金额"_s;

} // namespace

void TestStatementTemplates::reverseWriteOffLookup()
{
    TestDatabase db;
    seedWriteOffs(db);
    db.install();

    OPEN(info, writeOffLookup(u"B1"_s));
    QCOMPARE(rows(info, {u"入库单编号"_s, u"起始编号"_s, u"终止编号"_s, u"核销记录编号"_s, u"核销日期"_s, u"归还日期"_s,
                         u"票据类型"_s, u"职能部门名称"_s, u"领用部门代号"_s, u"状态"_s}),
             QStringList{u"B1|0001|0050|R1|2011-05-31|2011-05-31|普通发票|财务处|D1|核销"_s});
    OPEN(other, writeOffLookup(u"B3"_s));
    QCOMPARE(rows(other, {u"入库单编号"_s, u"核销记录编号"_s, u"职能部门名称"_s}), QStringList{u"B3|R2|总务处"_s});
    OPEN(unknown, writeOffLookup(u"B9"_s));
    QCOMPARE(unknown.recordCount(), 0);

    OPEN(recordRow, writeOffRecordRow(u"B1"_s, u"R1"_s));
    QCOMPARE(rows(recordRow, {u"核销记录编号"_s, u"开票金额"_s, u"核销数量"_s}), QStringList{u"R1|1500|2"_s});
    OPEN(bookRow, writeOffBookRow(u"B1"_s, u"R1"_s));
    QCOMPARE(rows(bookRow, {u"入库单编号"_s, u"开票金额合计"_s}), QStringList{u"B1|1000"_s});
    OPEN(count, writeOffBookCount(u"R1"_s));
    QCOMPARE(rows(count, {u"计数"_s}), QStringList{u"2"_s});

    // A book and a record that do not belong together.
    OPEN(mismatchedRecord, writeOffRecordRow(u"B3"_s, u"R1"_s));
    QCOMPARE(mismatchedRecord.recordCount(), 0);
    OPEN(mismatchedBook, writeOffBookRow(u"B3"_s, u"R1"_s));
    QCOMPARE(mismatchedBook.recordCount(), 0);
}

void TestStatementTemplates::reverseWriteOffTakeOut()
{
    TestDatabase db;
    seedWriteOffs(db);
    db.install();

    EXECUTE(reverseWriteOffTakeOutBatch(u"B1"_s, u"R1"_s));

    // R1 loses exactly B1's figures; R2 is untouched.
    QCOMPARE(readBack(db, u"select "_s + RecordColumns + u" from 票据核销记录 order by 核销记录编号"_s),
             (QStringList{u"R1|1|10|1|39|1|500|100"_s, u"R2|1|10|1|39|0|500|0"_s}));
    QCOMPARE(readBack(db, u"select 核销记录编号, 入库单编号 from 票据核销 order by 入库单编号"_s),
             (QStringList{u"R1|B2"_s, u"R2|B3"_s}));
    QCOMPARE(readBack(db, u"select 入库单编号, 状态 from 票据入库单 order by 入库单编号"_s),
             (QStringList{u"B1|领用"_s, u"B2|核销"_s, u"B3|核销"_s}));
    // The voided bill stays voided.
    QCOMPARE(readBack(db, u"select 入库单编号, 票据编号, 核销日期, 核销人, 作废日期, 作废原因 from 票据 order by 入库单编号, 票据编号"_s),
             (QStringList{u"B1|0001|<null>|<null>|<null>|<null>"_s, u"B1|0002|<null>|<null>|2011-05-31|核销时作废"_s,
                          u"B2|0051|2011-05-31|赵六|<null>|<null>"_s, u"B3|0101|2011-05-31|赵六|<null>|<null>"_s}));
    QCOMPARE(readBack(db, u"select 入库单编号, 核销日期, 归还日期 from 票据领用清单 order by 入库单编号"_s),
             (QStringList{u"B1|<null>|<null>"_s, u"B2|2011-05-31|2011-05-31"_s, u"B3|2011-06-01|2011-06-01"_s}));
}

void TestStatementTemplates::reverseWriteOffDelete()
{
    TestDatabase db;
    seedWriteOffs(db);
    db.install();

    EXECUTE(reverseWriteOffDeleteBatch(u"B3"_s, u"R2"_s));

    QCOMPARE(readBack(db, u"select "_s + RecordColumns + u" from 票据核销记录 order by 核销记录编号"_s),
             QStringList{u"R1|2|30|4|66|3|1500|300"_s});
    QCOMPARE(readBack(db, u"select 核销记录编号, 入库单编号 from 票据核销 order by 入库单编号"_s),
             (QStringList{u"R1|B1"_s, u"R1|B2"_s}));
    QCOMPARE(readBack(db, u"select 入库单编号, 状态 from 票据入库单 order by 入库单编号"_s),
             (QStringList{u"B1|核销"_s, u"B2|核销"_s, u"B3|领用"_s}));
    QCOMPARE(readBack(db, u"select 入库单编号, 核销日期, 核销人 from 票据 where 作废日期 is null order by 入库单编号"_s),
             (QStringList{u"B1|2011-05-31|赵六"_s, u"B2|2011-05-31|赵六"_s, u"B3|<null>|<null>"_s}));
    QCOMPARE(readBack(db, u"select 入库单编号, 核销日期, 归还日期 from 票据领用清单 order by 入库单编号"_s),
             (QStringList{u"B1|2011-05-31|2011-05-31"_s, u"B2|2011-05-31|2011-05-31"_s, u"B3|<null>|<null>"_s}));
}

// ---------------------------------------------------------------- approval path window

namespace {

qlonglong addPath(TestDatabase &db, const QString &code, const QString &name, const QString &type,
                  const QString &category, const QVariant &endDate = QVariant())
{
    return db.insert(u"作废恢复流程"_s, {{u"流程代号"_s, code}, {u"流程名称"_s, name}, {u"作废恢复类别"_s, type},
                                         {u"部门类别"_s, category}, {u"设置日期"_s, u"2011-01-01"_s}, {u"终止日期"_s, endDate}});
}

qlonglong addNode(TestDatabase &db, const QString &path, const QString &dept, const QString &post, int position)
{
    return db.insert(u"作废恢复流程设置"_s, {{u"流程代号"_s, path}, {u"部门编号"_s, dept}, {u"岗位编号"_s, post},
                                             {u"顺序"_s, position}});
}

} // namespace

void TestStatementTemplates::approvalPathSettings()
{
    TestDatabase db;
    addDepartmentCategory(db, u"02"_s, u"后勤类"_s);
    addDepartmentCategory(db, u"01"_s, u"财务类"_s);
    db.insert(u"职能部门类别"_s, {{u"部门类别代号"_s, u"03"_s}, {u"部门类别名称"_s, u"撤销类"_s}, {u"终止日期"_s, u"2010-12-31"_s}});
    addPath(db, u"P2"_s, u"后勤审批"_s, u"作废恢复"_s, u"02"_s);
    addPath(db, u"P1"_s, u"财务审批"_s, u"作废恢复"_s, u"01"_s);
    addPath(db, u"P3"_s, u"旧路径"_s, u"作废恢复"_s, u"01"_s, u"2011-02-01"_s);
    addPath(db, u"P4"_s, u"其他"_s, u"其他类别"_s, u"01"_s);
    const QString p2 = id(db.scalar(u"select ID from 作废恢复流程 where 流程代号='P2'"_s).toLongLong());
    addNode(db, u"P1"_s, u"D1"_s, u"Q1"_s, 1);
    addNode(db, u"P1"_s, u"D1"_s, u"Q2"_s, 2);
    addNode(db, u"P2"_s, u"D2"_s, u"Q3"_s, 1);
    db.install();

    OPEN(categories, pathCategories());
    QCOMPARE(rows(categories, {u"部门类别代号"_s, u"部门类别名称"_s}), (QStringList{u"01|财务类"_s, u"02|后勤类"_s}));

    OPEN(paths, pathsOfType(u"作废恢复"_s));
    QCOMPARE(rows(paths, {u"流程代号"_s, u"流程名称"_s, u"部门类别"_s, u"设置日期"_s, u"终止日期"_s}),
             (QStringList{u"P1|财务审批|01|2011-01-01|<null>"_s, u"P2|后勤审批|02|2011-01-01|<null>"_s}));

    OPEN(taken, pathByCode(u"P3"_s));
    QCOMPARE(taken.recordCount(), 1); // terminated codes stay taken
    OPEN(free, pathByCode(u"P9"_s));
    QCOMPARE(free.recordCount(), 0);
    OPEN_EDITABLE(pathByCode(u"P9"_s), u"作废恢复流程"_s);
    OPEN(byId, pathById(p2));
    QCOMPARE(rows(byId, {u"流程代号"_s}), QStringList{u"P2"_s});
    OPEN_EDITABLE(pathById(p2), u"作废恢复流程"_s);

    EXECUTE(terminatePath(u"P1"_s, Today));
    QCOMPARE(readBack(db, u"select 流程代号, 终止日期 from 作废恢复流程 order by 流程代号"_s),
             (QStringList{u"P1|2011-06-15"_s, u"P2|<null>"_s, u"P3|2011-02-01"_s, u"P4|<null>"_s}));
    OPEN(afterTermination, pathsOfType(u"作废恢复"_s));
    QCOMPARE(rows(afterTermination, {u"流程代号"_s}), QStringList{u"P2"_s});

    EXECUTE(deletePathBatch(u"P2"_s));
    QCOMPARE(readBack(db, u"select 流程代号 from 作废恢复流程 order by 流程代号"_s),
             (QStringList{u"P1"_s, u"P3"_s, u"P4"_s}));
    QCOMPARE(readBack(db, u"select 流程代号, 顺序 from 作废恢复流程设置 order by 流程代号, 顺序"_s),
             (QStringList{u"P1|1"_s, u"P1|2"_s}));
}

// ---------------------------------------------------------------- node editor

void TestStatementTemplates::approvalPathNodeEditor()
{
    TestDatabase db;
    addDepartment(db, u"D1"_s, u"总部"_s, u"01"_s, QVariant(), 1);
    addDepartment(db, u"D2"_s, u"财务处"_s, u"01"_s, QVariant(), 2);
    addDepartment(db, u"D3"_s, u"分部"_s, u"01"_s, QVariant(), 3);
    addDepartment(db, u"D4"_s, u"撤销处"_s, u"01"_s, u"2010-12-31"_s, 4);
    auto parent = [&](const QString &dept, const QString &parentDept, const QString &from) {
        db.insert(u"上级部门new"_s, {{u"职能部门编号"_s, dept}, {u"上级部门编号"_s, parentDept}, {u"起始日期"_s, from}});
    };
    parent(u"D2"_s, u"D1"_s, u"2010-01-01"_s);
    parent(u"D2"_s, u"D3"_s, u"2011-01-01"_s); // the current parent of D2
    parent(u"D3"_s, u"D1"_s, u"2010-01-01"_s);
    addEmployee(db, u"e1"_s, u"王五"_s, u"pw"_s);
    addPost(db, u"10"_s, u"科长"_s, u"D2"_s, u"1"_s, u"e1"_s);
    addPost(db, u"9"_s, u"会计"_s, u"D2"_s);
    addPost(db, u"8  "_s, u"出纳"_s, u"D2"_s); // trailing blanks do not count in the length
    addPost(db, u"11"_s, u"旧岗"_s, u"D2"_s, u"1"_s, QVariant(), u"2010-12-31"_s);
    addPost(db, u"20"_s, u"主任"_s, u"D3"_s);
    const qlonglong first = addNode(db, u"P1"_s, u"D2"_s, u"9"_s, 1);
    const qlonglong second = addNode(db, u"P1"_s, u"D2"_s, u"10"_s, 2);
    const qlonglong third = addNode(db, u"P1"_s, u"D3"_s, u"20"_s, 3);
    addNode(db, u"P1"_s, u"D2"_s, u"ZZ"_s, 4); // its post no longer exists
    addNode(db, u"P2"_s, u"D2"_s, u"9"_s, 5);
    db.install();

    OPEN(tree, departmentTree());
    QCOMPARE(rows(tree, {u"职能部门编号"_s, u"职能部门名称"_s, u"上级部门编号"_s}),
             (QStringList{u"D1|总部|<null>"_s, u"D2|财务处|D3"_s, u"D3|分部|D1"_s}));

    OPEN(posts, postsOfDepartment(u"D2"_s));
    QCOMPARE(rows(posts, {u"岗位名称"_s, u"姓名"_s, u"职能部门名称"_s}),
             (QStringList{u"出纳|<null>|财务处"_s, u"会计|<null>|财务处"_s, u"科长|王五|财务处"_s}));

    OPEN(nodes, nodesOfPath(u"P1"_s));
    QCOMPARE(rows(nodes, {u"ID"_s, u"顺序"_s, u"职能部门名称"_s, u"岗位名称"_s, u"姓名"_s}),
             (QStringList{id(first) + u"|1|财务处|会计|<null>"_s, id(second) + u"|2|财务处|科长|王五"_s,
                          id(third) + u"|3|分部|主任|<null>"_s}));

    OPEN(none, emptyNodeSet());
    QCOMPARE(none.recordCount(), 0);
    OPEN_EDITABLE(emptyNodeSet(), u"作废恢复流程设置"_s);

    // Removing the second node closes the gap; the other path keeps its positions.
    EXECUTE(deleteNode(id(second)));
    EXECUTE(closeNodeGap(u"P1"_s, u"2"_s));
    QCOMPARE(readBack(db, u"select 流程代号, 岗位编号, 顺序 from 作废恢复流程设置 order by 流程代号, 顺序"_s),
             (QStringList{u"P1|9|1"_s, u"P1|20|2"_s, u"P1|ZZ|3"_s, u"P2|9|5"_s}));

    EXECUTE(storeNodeOrderBatch({id(third), id(first)}));
    QCOMPARE(readBack(db, u"select ID, 顺序 from 作废恢复流程设置 where ID in ("_s + id(first) + u","_s + id(third)
                              + u") order by 顺序"_s),
             (QStringList{id(third) + u"|1"_s, id(first) + u"|2"_s}));
}

// ---------------------------------------------------------------- restoration application window

namespace {

qlonglong addBill(TestDatabase &db, const Row &values)
{
    return db.insert(u"票据"_s, values);
}

qlonglong addBillLine(TestDatabase &db, qlonglong billId, const QString &book, const QString &bill,
                      const QString &item, const QVariant &amount, const QVariant &memo = QVariant(),
                      const QString &itemCode = u"01"_s)
{
    return db.insert(u"票据开票数据"_s, {{u"票据id"_s, billId}, {u"入库单编号"_s, book}, {u"票据编号"_s, bill},
                                         {u"项目"_s, item}, {u"金额"_s, amount}, {u"税额"_s, 1}, {u"税率"_s, 3},
                                         {u"科目代号"_s, u"5101"_s}, {u"收费项目代号"_s, itemCode}, {u"摘要"_s, memo},
                                         {u"应税科目"_s, u"2221"_s}, {u"不含税单价"_s, amount}, {u"不含税金额"_s, amount}});
}

} // namespace

void TestStatementTemplates::restorationApplicationQueries()
{
    TestDatabase db;
    addDepartment(db, u"D1"_s, u"财务处"_s, u"01"_s);
    addDepartment(db, u"D2"_s, u"稽核处"_s, u"02"_s);
    const qlonglong voided = addBill(db, {{u"入库单编号"_s, u"B1"_s}, {u"票据编号"_s, u"0007"_s}, {u"开票部门编号"_s, u"D1"_s},
                                          {u"金额"_s, 120}, {u"收款方式"_s, u"现金"_s}, {u"开票日期"_s, u"2011-05-02"_s},
                                          {u"作废日期"_s, u"2011-05-10"_s}});
    addBill(db, {{u"入库单编号"_s, u"B1"_s}, {u"票据编号"_s, u"0017"_s}});
    addBill(db, {{u"入库单编号"_s, u"B1"_s}, {u"票据编号"_s, u"0020"_s}});
    const qlonglong otherBook = addBill(db, {{u"入库单编号"_s, u"B2"_s}, {u"票据编号"_s, u"0007"_s}, {u"开票部门编号"_s, u"D2"_s}});
    addBillLine(db, voided, u"B1"_s, u"0007"_s, u"停车费"_s, 100);
    addBillLine(db, voided, u"B1"_s, u"0007"_s, u"水费"_s, 20);
    addBillLine(db, otherBook, u"B2"_s, u"0007"_s, u"电费"_s, 5);
    // Nodes of the category's path stored out of order: 10, 2, 9.
    addPath(db, u"P1"_s, u"财务审批"_s, u"作废恢复"_s, u"01"_s);
    addPath(db, u"P2"_s, u"后勤审批"_s, u"作废恢复"_s, u"02"_s);
    addPath(db, u"P3"_s, u"其他"_s, u"其他类别"_s, u"01"_s);
    addNode(db, u"P1"_s, u"D2"_s, u"Q10"_s, 10);
    addNode(db, u"P1"_s, u"D1"_s, u"Q2"_s, 2);
    addNode(db, u"P1"_s, u"D1"_s, u"Q9"_s, 9);
    addNode(db, u"P2"_s, u"D2"_s, u"Q1"_s, 1);
    addNode(db, u"P3"_s, u"D2"_s, u"Q1"_s, 1);
    // Applications of two departments, and the steps of one of them.
    auto application = [&](const QString &number, const QString &dept, const QString &state) {
        db.insert(u"作废恢复审批单"_s, {{u"编号"_s, number}, {u"部门编号"_s, dept}, {u"审核状态"_s, state}});
    };
    application(u"D1财务处1"_s, u"D1"_s, u"审批中"_s);
    application(u"D1财务处2"_s, u"D1"_s, u"审核通过"_s);
    application(u"D2稽核处3"_s, u"D2"_s, u"审批中"_s);
    addEmployee(db, u"e1"_s, u"王五"_s, u"pw"_s);
    addEmployee(db, u"e2"_s, u"李四"_s, u"pw"_s);
    addPost(db, u"Q2"_s, u"会计"_s, u"D1"_s, u"1"_s, u"e1"_s);
    addPost(db, u"Q9"_s, u"科长"_s, u"D1"_s, u"1"_s, u"e2"_s);
    addPost(db, u"Q10"_s, u"稽核"_s, u"D2"_s); // vacant
    auto step = [&](const QString &dept, const QString &post, int position, const QVariant &approver,
                    const QVariant &opinion, const QVariant &date) {
        db.insert(u"作废恢复审批"_s, {{u"编号"_s, u"D1财务处1"_s}, {u"部门"_s, dept}, {u"岗位"_s, post},
                                      {u"环节序号"_s, position}, {u"审批人"_s, approver}, {u"审批意见"_s, opinion},
                                      {u"审批日期"_s, date}});
    };
    step(u"D1"_s, u"Q2"_s, 2, u"王五"_s, u"同意"_s, u"2011-06-01 09:00:00"_s);
    step(u"D1"_s, u"Q9"_s, 9, QVariant(), QVariant(), QVariant());
    step(u"D2"_s, u"Q10"_s, 10, QVariant(), QVariant(), QVariant());
    db.install();

    OPEN(bothNumbers, billSearch(u"B1"_s, u"7"_s));
    QCOMPARE(sorted(rows(bothNumbers, {u"入库单编号"_s, u"票据编号"_s})), (QStringList{u"B1|0007"_s, u"B1|0017"_s}));
    OPEN(bookOnly, billSearch(u"B1"_s, QString()));
    QCOMPARE(bookOnly.recordCount(), 3);
    OPEN(billOnly, billSearch(QString(), u"0007"_s));
    QCOMPARE(sorted(rows(billOnly, {u"入库单编号"_s, u"票据编号"_s, u"职能部门名称"_s, u"金额"_s, u"作废日期"_s})),
             (QStringList{u"B1|0007|财务处|120|2011-05-10"_s, u"B2|0007|稽核处|<null>|<null>"_s}));

    OPEN(lines, billLines(u"B1"_s, u"0007"_s));
    QCOMPARE(sorted(rows(lines, {u"项目"_s, u"金额"_s})), (QStringList{u"停车费|100"_s, u"水费|20"_s}));

    OPEN(bill, billRow(u"B1"_s, u"0007"_s));
    QCOMPARE(rows(bill, {u"ID"_s, u"作废日期"_s}), QStringList{id(voided) + u"|2011-05-10"_s});

    // The lowest position in numeric order, not in text order.
    OPEN(firstNode, firstNodeForCategory(u"01"_s));
    QCOMPARE(rows(firstNode, {u"部门编号"_s, u"岗位编号"_s, u"顺序"_s}), QStringList{u"D1|Q2|2"_s});
    OPEN(noPath, firstNodeForCategory(u"09"_s));
    QCOMPARE(noPath.recordCount(), 0);

    OPEN(stepSet, firstStepRecordset());
    QCOMPARE(stepSet.recordCount(), 3);
    OPEN_EDITABLE(firstStepRecordset(), u"作废恢复审批"_s);

    OPEN(mine, departmentApplications(u"D1"_s, false));
    QCOMPARE(sorted(rows(mine, {u"编号"_s, u"审核状态"_s})), (QStringList{u"D1财务处1|审批中"_s, u"D1财务处2|审核通过"_s}));
    OPEN(mineInApproval, departmentApplications(u"D1"_s, true));
    QCOMPARE(rows(mineInApproval, {u"编号"_s}), QStringList{u"D1财务处1"_s});

    // The vacant post's step drops out (inner join with the employee).
    OPEN(progress, applicationProgress(u"D1财务处1"_s));
    QCOMPARE(sorted(rows(progress, {u"环节序号"_s, u"部门"_s, u"岗位"_s, u"姓名"_s, u"审批人"_s, u"审批意见"_s})),
             (QStringList{u"2|财务处|会计|王五|王五|同意"_s, u"9|财务处|科长|李四|<null>|<null>"_s}));
}

void TestStatementTemplates::restorationSubmissionBatch()
{
    TestDatabase db;
    const qlonglong voided = addBill(db, {{u"入库单编号"_s, u"B1"_s}, {u"票据编号"_s, u"0007"_s}, {u"作废日期"_s, u"2011-05-10"_s}});
    const qlonglong other = addBill(db, {{u"入库单编号"_s, u"B2"_s}, {u"票据编号"_s, u"0007"_s}});
    addBillLine(db, voided, u"B1"_s, u"0007"_s, u"停车费"_s, 100, u"五月"_s);
    addBillLine(db, voided, u"B1"_s, u"0007"_s, u"水费"_s, 20);
    addBillLine(db, other, u"B2"_s, u"0007"_s, u"电费"_s, 5);
    addPath(db, u"P1"_s, u"财务审批"_s, u"作废恢复"_s, u"01"_s);
    addPath(db, u"P2"_s, u"后勤审批"_s, u"作废恢复"_s, u"02"_s);
    addNode(db, u"P1"_s, u"D2"_s, u"Q10"_s, 10);
    addNode(db, u"P1"_s, u"D1"_s, u"Q2"_s, 2);
    addNode(db, u"P1"_s, u"D1"_s, u"Q9"_s, 9);
    addNode(db, u"P2"_s, u"D2"_s, u"Q1"_s, 1);
    db.install();

    EXECUTE(submissionBatch(u"D1财务处1"_s, u"作废恢复"_s, u"01"_s, id(voided)));

    // The route is stored in position order (9 before 10).
    QCOMPARE(readBack(db, u"select 编号, 部门, 岗位, 环节序号 from 作废恢复审批流程 order by ID"_s),
             (QStringList{u"D1财务处1|D1|Q2|2"_s, u"D1财务处1|D1|Q9|9"_s, u"D1财务处1|D2|Q10|10"_s}));
    QCOMPARE(readBack(db, u"select 编号, 票据入库单编号, 票据编号, 收费项目, 金额, 税金, 税率, 科目, 收费项目代号, 应税科目, 摘要, 不含税单价, 不含税金额 from 票据作废恢复明细 order by 金额 desc"_s),
             (QStringList{u"D1财务处1|B1|0007|停车费|100|1|3|5101|01|2221|五月|100|100"_s,
                          u"D1财务处1|B1|0007|水费|20|1|3|5101|01|2221|<null>|20|20"_s}));
}

// ---------------------------------------------------------------- restoration approval window

namespace {

const QString Application = u"D1财务处1"_s;

// Application D1财务处1 (in approval) on route 1, 2, 9, 10, waiting at node 2 for post Q2;
// application D1财务处2 (approved) also had a step for Q2. Bill B1/0007 is the one to restore;
// B2/0007 and B1/0008 are its neighbours that must stay as they are.
struct ApprovalSeed
{
    qlonglong bill = 0;
};

ApprovalSeed seedApprovals(TestDatabase &db)
{
    ApprovalSeed seed;
    addDepartment(db, u"D1"_s, u"财务处"_s);
    addDepartment(db, u"D2"_s, u"稽核处"_s);
    auto application = [&](const QString &number, const QString &state, const QVariant &passed) {
        db.insert(u"作废恢复审批单"_s, {{u"编号"_s, number}, {u"流水"_s, number.right(1)}, {u"部门"_s, u"财务处"_s},
                                        {u"部门编号"_s, u"D1"_s}, {u"提交日期"_s, u"2011-06-01 08:00:00"_s},
                                        {u"审核状态"_s, state}, {u"审核是否通过"_s, passed}, {u"类型名称"_s, u"作废恢复"_s},
                                        {u"票据金额"_s, 120}, {u"票据编号"_s, u"0007"_s}, {u"票据入库单编号"_s, u"B1"_s},
                                        {u"票据作废日期"_s, u"2011-05-10"_s}});
    };
    application(Application, u"审批中"_s, QVariant());
    application(u"D1财务处2"_s, u"审核通过"_s, 1);
    auto route = [&](const QString &number, const QString &dept, const QString &post, int position) {
        db.insert(u"作废恢复审批流程"_s, {{u"编号"_s, number}, {u"部门"_s, dept}, {u"岗位"_s, post}, {u"环节序号"_s, position}});
    };
    route(Application, u"D2"_s, u"Q10"_s, 10);
    route(Application, u"D1"_s, u"Q1"_s, 1);
    route(Application, u"D2"_s, u"Q9"_s, 9);
    route(Application, u"D1"_s, u"Q2"_s, 2);
    route(u"D1财务处2"_s, u"D1"_s, u"Q2"_s, 1);
    auto step = [&](const QString &number, const QString &post, int position, const QVariant &approver,
                    const QVariant &date, const QVariant &agreed) {
        db.insert(u"作废恢复审批"_s, {{u"编号"_s, number}, {u"部门"_s, u"D1"_s}, {u"岗位"_s, post}, {u"环节序号"_s, position},
                                      {u"审批人"_s, approver}, {u"审批意见"_s, approver.isNull() ? QVariant() : u"同意"_s},
                                      {u"审批日期"_s, date}, {u"是否同意"_s, agreed}});
    };
    step(Application, u"Q1"_s, 1, u"王五"_s, u"2011-06-02 09:00:00"_s, 1);
    step(Application, u"Q2"_s, 2, QVariant(), QVariant(), QVariant());
    step(u"D1财务处2"_s, u"Q2"_s, 1, u"赵六"_s, u"2011-05-02 09:00:00"_s, 1);
    db.insert(u"票据作废恢复明细"_s, {{u"编号"_s, Application}, {u"票据入库单编号"_s, u"B1"_s}, {u"票据编号"_s, u"0007"_s},
                                      {u"收费项目"_s, u"停车费"_s}, {u"金额"_s, 100}});
    db.insert(u"票据作废恢复明细"_s, {{u"编号"_s, Application}, {u"票据入库单编号"_s, u"B1"_s}, {u"票据编号"_s, u"0007"_s},
                                      {u"收费项目"_s, u"水费"_s}, {u"金额"_s, 20}});
    for (const QString &date : {u"2011-03-31"_s, u"2011-05-31"_s, u"2011-04-30"_s})
        db.insert(u"封帐"_s, {{u"职能部门代号"_s, u"D1"_s}, {u"封帐日期"_s, date}});
    auto bill = [&](const QString &book, const QString &number) {
        return addBill(db, {{u"入库单编号"_s, book}, {u"票据编号"_s, number}, {u"金额"_s, 120}, {u"开票部门编号"_s, u"D1"_s},
                            {u"开票日期"_s, u"2011-06-02"_s}, {u"付款人"_s, u"甲"_s}, {u"预开"_s, 1},
                            {u"收款日期"_s, u"2011-06-03"_s}, {u"开票人"_s, u"王五"_s}, {u"收款人"_s, u"李四"_s},
                            {u"收款方式"_s, u"现金"_s}, {u"作废日期"_s, u"2011-06-04"_s}, {u"作废原因"_s, u"填错"_s},
                            {u"作废人"_s, u"王五"_s}, {u"管理处"_s, u"01"_s}});
    };
    seed.bill = bill(u"B1"_s, u"0007"_s);
    const qlonglong otherBook = bill(u"B2"_s, u"0007"_s);
    const qlonglong nextBill = bill(u"B1"_s, u"0008"_s);
    addBillLine(db, seed.bill, u"B1"_s, u"0007"_s, u"停车费"_s, 100);
    addBillLine(db, seed.bill, u"B1"_s, u"0007"_s, u"水费"_s, 20);
    addBillLine(db, otherBook, u"B2"_s, u"0007"_s, u"电费"_s, 5);
    addBillLine(db, nextBill, u"B1"_s, u"0008"_s, u"电费"_s, 6);
    auto receipt = [&](const QString &bill, const QString &book) {
        db.insert(u"WYZJ"_s, {{u"发票号码"_s, bill}, {u"票据入库单编号"_s, book}, {u"ZJ_SKRQ"_s, u"2011-06-03"_s}});
    };
    receipt(u"0007"_s, u"B1"_s);
    receipt(u"0007"_s, u"B2"_s);
    receipt(u"0008"_s, u"B1"_s);
    return seed;
}

const QString StepColumns = u"select 编号, 岗位, 环节序号, 审批人, 审批意见, 审批日期, 是否同意 from 作废恢复审批 order by 编号, 环节序号"_s;
const QString BillColumns =
    u"select 入库单编号, 票据编号, 开票部门编号, 开票日期, 付款人, 预开, 收款日期, 开票人, 收款人, 作废日期, 作废原因, 作废人, 金额, 收款方式, 管理处 from 票据 order by 入库单编号, 票据编号"_s;
const QString UntouchedBill = u"D1|2011-06-02|甲|1|2011-06-03|王五|李四|2011-06-04|填错|王五|120|现金|01"_s;

} // namespace

void TestStatementTemplates::approvalListAndChecks()
{
    TestDatabase db;
    const ApprovalSeed seed = seedApprovals(db);
    db.install();

    OPEN(list, approvalList(u"Q2"_s, false));
    QCOMPARE(sorted(rows(list, {u"编号"_s, u"部门"_s, u"审核状态"_s, u"环节序号"_s, u"Expr2"_s, u"职能部门名称"_s})),
             (QStringList{u"D1财务处1|财务处|审批中|2|<null>|财务处"_s, u"D1财务处2|财务处|审核通过|1|赵六|财务处"_s}));
    OPEN(inApproval, approvalList(u"Q2"_s, true));
    QCOMPARE(rows(inApproval, {u"编号"_s}), QStringList{Application});

    OPEN(selected, approvalSelection(u"Q2"_s, Application));
    QCOMPARE(rows(selected, {u"编号"_s, u"环节序号"_s, u"票据编号"_s, u"票据入库单编号"_s}),
             QStringList{Application + u"|2|0007|B1"_s});

    OPEN(lines, copiedLines(Application));
    QCOMPARE(sorted(rows(lines, {u"收费项目"_s, u"金额"_s})), (QStringList{u"停车费|100"_s, u"水费|20"_s}));
    OPEN(app, applicationRow(Application));
    QCOMPARE(rows(app, {u"部门"_s, u"票据金额"_s, u"票据作废日期"_s}), QStringList{u"财务处|120|2011-05-10"_s});

    OPEN(bill, billRow(u"B1"_s, u"0007"_s));
    QCOMPARE(rows(bill, {u"ID"_s, u"开票日期"_s}), QStringList{id(seed.bill) + u"|2011-06-02"_s});

    // The latest closing date as YYYYMMDD text; NULL for a department that never closed.
    OPEN(closed, closingMonth(u"D1"_s));
    QCOMPARE(rows(closed, {u"封帐年月"_s}), QStringList{u"20110531"_s});
    closed.moveFirst();
    QCOMPARE(closed.value(u"封帐年月"_s).toString(), u"20110531"_s);
    OPEN(neverClosed, closingMonth(u"D2"_s));
    QCOMPARE(rows(neverClosed, {u"封帐年月"_s}), QStringList{u"<null>"_s});
}

void TestStatementTemplates::approvalNextNodeLookup()
{
    TestDatabase db;
    seedApprovals(db);
    db.install();

    const QStringList columns = {u"部门"_s, u"岗位"_s, u"环节序号"_s};
    OPEN(afterFirst, nextNode(Application, u"1"_s));
    QCOMPARE(rows(afterFirst, columns), QStringList{u"D1|Q2|2"_s});
    // Position 9 comes before 10, and 10 follows 9: the positions compare as numbers.
    OPEN(afterSecond, nextNode(Application, u"2"_s));
    QCOMPARE(rows(afterSecond, columns), QStringList{u"D2|Q9|9"_s});
    OPEN(afterNinth, nextNode(Application, u"9"_s));
    QCOMPARE(rows(afterNinth, columns), QStringList{u"D2|Q10|10"_s});
    OPEN(afterLast, nextNode(Application, u"10"_s));
    QCOMPARE(afterLast.recordCount(), 0);
}

void TestStatementTemplates::approvalNextNode()
{
    TestDatabase db;
    seedApprovals(db);
    db.install();

    const QString step = completeStep(u"李四"_s, u"同意"_s, Now, Application, u"Q2"_s, u"2"_s);
    EXECUTE(nextNodeBatch(Application, u"D2"_s, u"Q9"_s, u"9"_s, step));

    QCOMPARE(readBack(db, StepColumns),
             (QStringList{Application + u"|Q1|1|王五|同意|2011-06-02 09:00:00|1"_s,
                          Application + u"|Q2|2|李四|同意|2011-06-15 10:20:30|1"_s,
                          Application + u"|Q9|9|<null>|<null>|<null>|<null>"_s,
                          u"D1财务处2|Q2|1|赵六|同意|2011-05-02 09:00:00|1"_s}));
    QCOMPARE(readOne(db, u"select 部门 from 作废恢复审批 where 岗位='Q9'"_s), u"D2"_s);
    QCOMPARE(readBack(db, u"select 编号, 审核状态, 审核日期, 审核是否通过 from 作废恢复审批单 order by 编号"_s),
             (QStringList{Application + u"|审批中|<null>|<null>"_s, u"D1财务处2|审核通过|<null>|1"_s}));
}

void TestStatementTemplates::approvalLastNodeBatch()
{
    TestDatabase db;
    seedApprovals(db);
    db.install();

    const QString step = completeStep(u"李四"_s, u"同意"_s, Now, Application, u"Q2"_s, u"2"_s);
    EXECUTE(lastApprovalBatch(Application, Now, step, u"0007"_s, u"B1"_s));

    QCOMPARE(readBack(db, u"select 编号, 审核状态, 审核日期, 审核是否通过 from 作废恢复审批单 order by 编号"_s),
             (QStringList{Application + u"|审核通过|2011-06-15 10:20:30|1"_s, u"D1财务处2|审核通过|<null>|1"_s}));
    QCOMPARE(readBack(db, StepColumns),
             (QStringList{Application + u"|Q1|1|王五|同意|2011-06-02 09:00:00|1"_s,
                          Application + u"|Q2|2|李四|同意|2011-06-15 10:20:30|1"_s,
                          u"D1财务处2|Q2|1|赵六|同意|2011-05-02 09:00:00|1"_s}));
    // Only the restored bill's lines go; their copy stays with the application.
    QCOMPARE(readBack(db, u"select 入库单编号, 票据编号, 项目 from 票据开票数据 order by 入库单编号, 票据编号"_s),
             (QStringList{u"B1|0008|电费"_s, u"B2|0007|电费"_s}));
    QCOMPARE(db.count(u"票据作废恢复明细"_s), 2);
    // The bill counts as not yet used again; amount, payment method and office stay.
    QCOMPARE(readBack(db, BillColumns),
             (QStringList{u"B1|0007|<null>|<null>|<null>|0|<null>|<null>|<null>|<null>|<null>|<null>|120|现金|01"_s,
                          u"B1|0008|"_s + UntouchedBill, u"B2|0007|"_s + UntouchedBill}));
    QCOMPARE(readBack(db, u"select 发票号码, 票据入库单编号, ZJ_SKRQ from WYZJ order by ID"_s),
             (QStringList{u"<null>|<null>|<null>"_s, u"0007|B2|2011-06-03"_s, u"0008|B1|2011-06-03"_s}));
}

void TestStatementTemplates::approvalRejectBatch()
{
    TestDatabase db;
    seedApprovals(db);
    db.install();

    EXECUTE(rejectBatch(Application, Now, u"李四"_s, u"金额有误"_s, u"Q2"_s, u"2"_s));

    QCOMPARE(readBack(db, u"select 编号, 审核状态, 审核日期, 审核是否通过 from 作废恢复审批单 order by 编号"_s),
             (QStringList{Application + u"|审核不通过|2011-06-15 10:20:30|0"_s, u"D1财务处2|审核通过|<null>|1"_s}));
    QCOMPARE(readBack(db, StepColumns),
             (QStringList{Application + u"|Q1|1|王五|同意|2011-06-02 09:00:00|1"_s,
                          Application + u"|Q2|2|李四|金额有误|2011-06-15 10:20:30|0"_s,
                          u"D1财务处2|Q2|1|赵六|同意|2011-05-02 09:00:00|1"_s}));
    // Nothing of the bill changes.
    QCOMPARE(db.count(u"票据开票数据"_s), 4);
    QCOMPARE(readBack(db, BillColumns),
             (QStringList{u"B1|0007|"_s + UntouchedBill, u"B1|0008|"_s + UntouchedBill, u"B2|0007|"_s + UntouchedBill}));
}

// ---------------------------------------------------------------- void statistics report window

void TestStatementTemplates::voidReportWindowQueries()
{
    TestDatabase db;
    addDepartment(db, u"D1"_s, u"财务处"_s);
    addDepartment(db, u"D2"_s, u"总务处"_s);
    auto office = [&](const QString &code, const QString &name, const QString &dept) {
        db.insert(u"设置管理处"_s, {{u"GYD_DH"_s, code}, {u"GYD_Name"_s, name}, {u"对应部门代号"_s, dept}});
    };
    office(u"02"_s, u"二处"_s, u"D1"_s);
    office(u"01"_s, u"一处"_s, u"D1"_s);
    office(u"03"_s, u"三处"_s, u"D2"_s);
    auto item = [&](const QString &code, const QString &name, const QString &category, const QVariant &end) {
        db.insert(u"SetupSFXM"_s, {{u"DH"_s, code}, {u"XM"_s, name}, {u"收费类别"_s, category}, {u"终止日期"_s, end}});
    };
    item(u"10"_s, u"停车费"_s, u"物业费"_s, QVariant());
    item(u"9"_s, u"水费"_s, u"物业费"_s, QVariant());
    item(u"3  "_s, u"电费"_s, u"物业费"_s, QVariant()); // trailing blanks do not count in the length
    item(u"5"_s, u"旧项目"_s, u"物业费"_s, u"2010-12-31"_s);
    item(u"1"_s, u"房租"_s, u"租金"_s, QVariant());
    item(u"2"_s, u"旧租金"_s, u"旧类别"_s, u"2010-12-31"_s);
    for (const QString &method : {u"现金"_s, u"支票"_s, u"转账"_s})
        db.insert(u"收款方式列表"_s, {{u"收款方式"_s, method}});
    addEmployee(db, u"e1"_s, u"王五"_s, u"pw"_s);
    addEmployee(db, u"e2"_s, u"李四"_s, u"pw"_s);
    addEmployee(db, u"e3"_s, u"赵六"_s, u"pw"_s);
    addPost(db, u"P2"_s, u"出纳"_s, u"D1"_s, u"1"_s, u"e2"_s);
    addPost(db, u"P1"_s, u"会计"_s, u"D1"_s, u"1"_s, u"e1"_s);
    addPost(db, u"P3"_s, u"空岗"_s, u"D1"_s);
    addPost(db, u"P4"_s, u"出纳"_s, u"D2"_s, u"1"_s, u"e3"_s);
    db.install();

    OPEN(offices, reportOffices(u"D1"_s));
    QCOMPARE(rows(offices, {u"GYD_DH"_s, u"gyd_name"_s}), (QStringList{u"01|一处"_s, u"02|二处"_s}));

    OPEN(categories, reportChargeCategories());
    QCOMPARE(rows(categories, {u"收费类别"_s}), (QStringList{u"物业费"_s, u"租金"_s}));
    OPEN(items, reportChargeItems(u"物业费"_s));
    QCOMPARE(rows(items, {u"XM"_s}), (QStringList{u"电费"_s, u"水费"_s, u"停车费"_s}));

    OPEN(methods, reportPaymentMethods());
    QCOMPARE(sorted(rows(methods, {u"收款方式"_s})), sorted({u"现金"_s, u"支票"_s, u"转账"_s}));

    OPEN(cashiers, reportCashiers(u"D1"_s));
    QCOMPARE(rows(cashiers, {u"岗位代号"_s, u"姓名"_s}), (QStringList{u"P1|王五"_s, u"P2|李四"_s}));
}

void TestStatementTemplates::voidReportQuery()
{
    TestDatabase db;
    db.insert(u"设置管理处"_s, {{u"GYD_DH"_s, u"01"_s}, {u"GYD_Name"_s, u"一处"_s}, {u"对应部门代号"_s, u"D1"_s}});
    db.insert(u"设置管理处"_s, {{u"GYD_DH"_s, u"03"_s}, {u"GYD_Name"_s, u"三处"_s}, {u"对应部门代号"_s, u"D2"_s}});
    auto bill = [&](const QString &book, const QString &number, const QString &payer, const QString &dept,
                    const QVariant &office, const QVariant &voided, const QString &method, const QString &cashier) {
        return addBill(db, {{u"入库单编号"_s, book}, {u"票据编号"_s, number}, {u"付款人"_s, payer}, {u"开票部门编号"_s, dept},
                            {u"管理处"_s, office}, {u"作废日期"_s, voided}, {u"收款方式"_s, method}, {u"收款人"_s, cashier},
                            {u"开票日期"_s, u"2011-04-20"_s}, {u"开票人"_s, u"王五"_s}, {u"收款日期"_s, u"2011-04-21"_s}});
    };
    // The lines carry other book and bill numbers than their bills, so that ordering by
    // the lines' columns would give another order than ordering by the bills'.
    const qlonglong firstDay = bill(u"B-2"_s, u"0005"_s, u"甲"_s, u"D1"_s, QVariant(), u"2011-05-01"_s, u"现金"_s, u"张三"_s);
    const qlonglong lastDay = bill(u"B-1"_s, u"0009"_s, u"乙"_s, u"D1"_s, u"01"_s, u"2011-05-31"_s, u"现金"_s, u"李四"_s);
    const qlonglong midMonth = bill(u"B-1"_s, u"0002"_s, u"丙"_s, u"D1"_s, QVariant(), u"2011-05-15"_s, u"支票"_s, u"张三"_s);
    const qlonglong after = bill(u"B-1"_s, u"0003"_s, u"丁"_s, u"D1"_s, QVariant(), u"2011-06-01"_s, u"现金"_s, u"张三"_s);
    const qlonglong before = bill(u"B-1"_s, u"0004"_s, u"戊"_s, u"D1"_s, QVariant(), u"2011-04-30"_s, u"现金"_s, u"张三"_s);
    const qlonglong otherDept = bill(u"B-3"_s, u"0001"_s, u"己"_s, u"D2"_s, QVariant(), u"2011-05-20"_s, u"现金"_s, u"张三"_s);
    const qlonglong transfer = bill(u"B-1"_s, u"0006"_s, u"庚"_s, u"D1"_s, QVariant(), u"2011-05-20"_s, u"转账"_s, u"张三"_s);
    const qlonglong notVoided = bill(u"B-1"_s, u"0007"_s, u"辛"_s, u"D1"_s, QVariant(), QVariant(), u"现金"_s, u"张三"_s);
    addBillLine(db, firstDay, u"A-0"_s, u"0000"_s, u"停车费"_s, 10, u"五月"_s, u"01"_s);
    addBillLine(db, lastDay, u"Z-9"_s, u"9999"_s, u"水费"_s, 20, QVariant(), u"02"_s);
    addBillLine(db, midMonth, u"M-5"_s, u"5555"_s, u"停车费"_s, 30, u"甲"_s, u"01"_s);
    addBillLine(db, midMonth, u"M-5"_s, u"5556"_s, u"水费"_s, 40, u"乙"_s, u"02"_s);
    addBillLine(db, midMonth, u"M-5"_s, u"5557"_s, u"其他"_s, 50, QVariant(), u"99"_s); // item not chosen
    for (qlonglong other : {after, before, otherDept, transfer, notVoided})
        addBillLine(db, other, u"A-0"_s, u"0000"_s, u"停车费"_s, 1, QVariant(), u"01"_s);
    db.install();

    ReportFilter filter;
    filter.office = u"01"_s;
    filter.department = u"D1"_s;
    filter.from = u"2011-05-01"_s;
    filter.to = u"2011-05-31"_s;
    filter.payments = u"'现金','支票'"_s;
    filter.items = u"'01','02'"_s;
    const QStringList key = {u"入库单编号"_s, u"票据编号"_s};

    // Ordered by the bill's book and number; both end days of the range count.
    OPEN(allOfOffice, voidReport(filter));
    QCOMPARE(rows(allOfOffice, key), (QStringList{u"B-1|0002"_s, u"B-1|0002"_s, u"B-1|0009"_s, u"B-2|0005"_s}));
    QCOMPARE(sorted(rows(allOfOffice, {u"付款人"_s, u"项目"_s, u"摘要"_s, u"金额"_s, u"开票日期"_s, u"开票人"_s, u"收款日期"_s,
                                       u"收款人"_s})),
             (QStringList{u"丙|停车费|甲|30|2011-04-20|王五|2011-04-21|张三"_s, u"丙|水费|乙|40|2011-04-20|王五|2011-04-21|张三"_s,
                          u"乙|水费|<null>|20|2011-04-20|王五|2011-04-21|李四"_s,
                          u"甲|停车费|五月|10|2011-04-20|王五|2011-04-21|张三"_s}));

    filter.mode = ReportMode::ByDepartment;
    OPEN(byDepartment, voidReport(filter));
    QCOMPARE(rows(byDepartment, key), (QStringList{u"B-1|0002"_s, u"B-1|0002"_s, u"B-2|0005"_s}));

    filter.mode = ReportMode::ByOfficeItems;
    OPEN(byOfficeItems, voidReport(filter));
    QCOMPARE(rows(byOfficeItems, key), QStringList{u"B-1|0009"_s});

    filter.mode = ReportMode::AllOfOffice;
    filter.cashier = u"张三"_s;
    OPEN(ofCashier, voidReport(filter));
    QCOMPARE(rows(ofCashier, key), (QStringList{u"B-1|0002"_s, u"B-1|0002"_s, u"B-2|0005"_s}));

    filter.cashier.clear();
    filter.payments = u"'现金','支票','转账'"_s;
    OPEN(everyMethod, voidReport(filter));
    QCOMPARE(rows(everyMethod, key),
             (QStringList{u"B-1|0002"_s, u"B-1|0002"_s, u"B-1|0006"_s, u"B-1|0009"_s, u"B-2|0005"_s}));

    filter.from = filter.to = u"2011-05-15"_s;
    OPEN(oneDay, voidReport(filter));
    QCOMPARE(rows(oneDay, key), (QStringList{u"B-1|0002"_s, u"B-1|0002"_s}));
}

QTEST_GUILESS_MAIN(TestStatementTemplates)
#include "test_statement_templates.moc"
