// The tables and columns the windows use, on both database scripts.
#include "TestDatabase.h"
#include "db/DatabaseSetup.h"

#include <QSqlRecord>
#include <QtTest>

namespace {

struct Table
{
    QString name;
    QStringList columns;
};

const QList<Table> &tablesInUse()
{
    static const QList<Table> tables = {
        {QStringLiteral("员工档案"), QStringLiteral("ID 工号 姓名 帐号密码 离职日期").split(QLatin1Char(' '))},
        {QStringLiteral("岗位员工new"), QStringLiteral("员工代号 岗位代号 主要岗位 离岗日期").split(QLatin1Char(' '))},
        {QStringLiteral("岗位信息new"), QStringLiteral("岗位代号 岗位名称 职能部门代号 岗位类别代号 工号 起始日期 终止日期").split(QLatin1Char(' '))},
        {QStringLiteral("岗位类别"), QStringLiteral("岗位类别编号 岗位类别名称").split(QLatin1Char(' '))},
        {QStringLiteral("职能部门new"), QStringLiteral("职能部门编号 职能部门名称 职能部门类别代号 终止日期 序号 显示协调位置").split(QLatin1Char(' '))},
        {QStringLiteral("职能部门类别"), QStringLiteral("部门类别代号 部门类别名称 终止日期").split(QLatin1Char(' '))},
        {QStringLiteral("上级部门new"), QStringLiteral("职能部门编号 上级部门编号 起始日期 终止日期").split(QLatin1Char(' '))},
        {QStringLiteral("岗位权限设置"), QStringLiteral("ID 组代号 岗位代号 授权").split(QLatin1Char(' '))},
        {QStringLiteral("GroupPrivilege"), QStringLiteral("GroupID FormName Popedom").split(QLatin1Char(' '))},
        {QStringLiteral("设置管理处"), QStringLiteral("GYD_DH GYD_Name 对应部门代号 商用物业").split(QLatin1Char(' '))},
        {QStringLiteral("SetupSFXM"), QStringLiteral("DH XM 收费类别 终止日期").split(QLatin1Char(' '))},
        {QStringLiteral("收款方式列表"), QStringLiteral("收款方式").split(QLatin1Char(' '))},
        {QStringLiteral("封帐"), QStringLiteral("职能部门代号 封帐日期").split(QLatin1Char(' '))},
        {QStringLiteral("票据类型"), QStringLiteral("票据类型代号 票据类型 份数 面值 税控").split(QLatin1Char(' '))},
        {QStringLiteral("票据税控机"), QStringLiteral("税控机编号 使用单位 启用日期 终止日期").split(QLatin1Char(' '))},
        {QStringLiteral("票据入库单"), QStringLiteral("ID 入库单编号 票据类型编号 份数 起始编号 终止编号 入库时间 备注 税控机编号 状态 税控 使用").split(QLatin1Char(' '))},
        {QStringLiteral("票据"), QStringLiteral("ID 票据编号 入库单编号 金额 开票部门编号 开票日期 付款人 预开 收款日期 开票人 收款人 收款方式 作废日期 作废原因 作废人 核销日期 核销人 管理处 收款凭证编号 退票日期 退票凭证编号 被换票入库单编号 被换票票据编号 内换日期 内换票据编号 内换凭证编号 对应调换票据入库单 对应调换票据编号 退款日期 退款原因 合同编号 税额凭证编号").split(QLatin1Char(' '))},
        {QStringLiteral("票据开票数据"), QStringLiteral("ID 票据id 票据编号 入库单编号 品名 规格 项目 数量 单价 单位 金额 摘要 科目代号 收费项目代号 非日常 收款凭证编号 税额 税率 应税科目 不含税单价 不含税金额").split(QLatin1Char(' '))},
        {QStringLiteral("票据领用记录"), QStringLiteral("票据领用记录编号 领用日期 领用部门代号").split(QLatin1Char(' '))},
        {QStringLiteral("票据领用清单"), QStringLiteral("ID 领用记录编号 入库单编号 核销日期 归还日期").split(QLatin1Char(' '))},
        {QStringLiteral("WYZJ"), QStringLiteral("发票号码 票据入库单编号 ZJ_SKRQ").split(QLatin1Char(' '))},
        {QStringLiteral("票据核销记录"), QStringLiteral("核销记录编号 核销部门代号 核销日期 核销人 核销数量 已开数量 作废数量 未用数 预开数量 开票金额 预开金额 流水号 字").split(QLatin1Char(' '))},
        {QStringLiteral("票据核销"), QStringLiteral("核销记录编号 入库单编号 核销份数 开票份数 作废份数 未用份数 开票金额合计 预开份数 预开金额合计").split(QLatin1Char(' '))},
        {QStringLiteral("作废恢复流程"), QStringLiteral("ID 流程代号 流程名称 作废恢复类别 部门类别 设置日期 终止日期").split(QLatin1Char(' '))},
        {QStringLiteral("作废恢复流程设置"), QStringLiteral("ID 流程代号 部门编号 岗位编号 顺序 备注").split(QLatin1Char(' '))},
        {QStringLiteral("作废恢复审批单"), QStringLiteral("ID 编号 流水 部门 部门编号 提交日期 审核状态 审核日期 审核是否通过 调整事由 审批人 类型名称 票据金额 收款方式 票据ID 票据编号 票据入库单编号 票据作废日期").split(QLatin1Char(' '))},
        {QStringLiteral("作废恢复审批流程"), QStringLiteral("编号 部门 岗位 环节序号").split(QLatin1Char(' '))},
        {QStringLiteral("作废恢复审批"), QStringLiteral("编号 部门 岗位 环节序号 审批人 审批意见 审批日期 是否同意").split(QLatin1Char(' '))},
        {QStringLiteral("票据作废恢复明细"), QStringLiteral("编号 票据入库单编号 票据编号 金额 税金 收费项目 科目 收费项目代号 应税科目 税率 摘要 不含税单价 不含税金额").split(QLatin1Char(' '))}
    };
    return tables;
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void everyTableAndColumnExists()
    {
        TestDatabase database;
        QSqlDatabase sql = database.check().database();
        QCOMPARE(tablesInUse().size(), 29);
        for (const Table &table : tablesInUse()) {
            const QSqlRecord record = sql.record(table.name);
            QVERIFY2(!record.isEmpty(), qPrintable(table.name));
            for (const QString &column : table.columns)
                QVERIFY2(record.contains(column), qPrintable(table.name + QLatin1Char('.') + column));
        }
    }

    void serverScriptDefinesTheSameTables()
    {
        const QStringList statements = DatabaseSetup::scriptStatements(DatabaseSetup::sqlServerSchemaScript());
        for (const Table &table : tablesInUse()) {
            const auto create = std::find_if(statements.begin(), statements.end(), [&](const QString &s) {
                return s.startsWith(QStringLiteral("create table ") + table.name + QStringLiteral(" ("));
            });
            QVERIFY2(create != statements.end(), qPrintable(table.name));
            for (const QString &column : table.columns)
                QVERIFY2(create->contains(QStringLiteral("\n    ") + column + QLatin1Char(' ')),
                         qPrintable(table.name + QLatin1Char('.') + column));
        }
    }

    void defaultsAndAssignedIds()
    {
        TestDatabase database;
        const qlonglong first = database.insert(QStringLiteral("票据入库单"), {{QStringLiteral("入库单编号"), QStringLiteral("21-2026")}});
        const qlonglong second = database.insert(QStringLiteral("票据入库单"), {{QStringLiteral("入库单编号"), QStringLiteral("22-2026")}});
        QVERIFY(first > 0 && second > first);
        auto rs = database.install().open(QStringLiteral("SELECT * From 票据入库单 where 入库单编号='21-2026'"));
        QCOMPARE(rs.text(QStringLiteral("使用")), QStringLiteral("False"));
        QVERIFY(rs.isNull(QStringLiteral("备注")));
        // One yearly book per number.
        QVERIFY_THROWS_EXCEPTION(db::DbError, database.insert(QStringLiteral("票据入库单"), {{QStringLiteral("入库单编号"), QStringLiteral("21-2026")}}));
    }

    void scriptSplitting()
    {
        QCOMPARE(DatabaseSetup::scriptStatements(QStringLiteral("-- note\ncreate table a (\n x text\n);\ninsert into a values('a;b');\n")),
                 (QStringList{QStringLiteral("create table a (\n x text\n)"), QStringLiteral("insert into a values('a;b')")}));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
