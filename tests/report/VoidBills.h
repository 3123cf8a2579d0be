#pragma once

// The organisation and voided bills the void report's tests run on.
#include "Staff.h"
#include "TestDatabase.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <tuple>

using namespace Qt::StringLiterals;

inline void addOffice(TestDatabase &database, const QString &code, const QString &name, const QString &department)
{
    database.insert(u"设置管理处"_s, {{u"GYD_DH"_s, code}, {u"GYD_Name"_s, name}, {u"对应部门代号"_s, department}});
}

inline void addItem(TestDatabase &database, const QString &code, const QString &name, const QString &category, const QVariant &endedOn = QVariant())
{
    database.insert(u"SetupSFXM"_s, {{u"DH"_s, code}, {u"XM"_s, name}, {u"收费类别"_s, category}, {u"终止日期"_s, endedOn}});
}

// A bill with its lines (item code, amount, summary).
inline qlonglong addBill(TestDatabase &database, const QString &book, const QString &number, const QString &department, const QVariant &office,
                  const QVariant &voidedOn, const QVariant &paymentMethod, const QString &cashier,
                  const QList<std::tuple<QString, QVariant, QVariant>> &lines)
{
    const qlonglong id = database.insert(u"票据"_s, {{u"入库单编号"_s, book},
                                                      {u"票据编号"_s, number},
                                                      {u"开票部门编号"_s, department},
                                                      {u"管理处"_s, office},
                                                      {u"付款人"_s, u"付款人"_s + number.right(2)},
                                                      {u"开票日期"_s, u"2026-11-02"_s},
                                                      {u"开票人"_s, u"李秀英"_s},
                                                      {u"收款日期"_s, u"2026-11-03"_s},
                                                      {u"收款人"_s, cashier},
                                                      {u"收款方式"_s, paymentMethod},
                                                      {u"作废日期"_s, voidedOn}});
    for (const auto &[item, amount, summary] : lines)
        database.insert(u"票据开票数据"_s, {{u"票据id"_s, id},
                                             {u"票据编号"_s, number},
                                             {u"入库单编号"_s, book},
                                             {u"项目"_s, database.scalar(u"select XM from SetupSFXM where DH='%1'"_s.arg(item))},
                                             {u"收费项目代号"_s, item},
                                             {u"金额"_s, amount},
                                             {u"摘要"_s, summary}});
    return id;
}

// Department 06 owns offices G01 and G02; 07 owns G07. Items 1, 2, 10 of 物业收费,
// 3 of 水电, 9 ended.
inline void addOrganisation(TestDatabase &database)
{
    addDepartment(database, u"06"_s, u"物业管理中心"_s);
    addDepartment(database, u"07"_s, u"餐饮服务中心"_s);
    addOffice(database, u"G01"_s, u"东区物业管理处"_s, u"06"_s);
    addOffice(database, u"G02"_s, u"西区物业管理处"_s, u"06"_s);
    addOffice(database, u"G07"_s, u"餐饮管理处"_s, u"07"_s);
    addItem(database, u"10"_s, u"垃圾清运费"_s, u"物业收费"_s);
    addItem(database, u"2"_s, u"停车费"_s, u"物业收费"_s);
    addItem(database, u"1"_s, u"物业费"_s, u"物业收费"_s);
    addItem(database, u"3"_s, u"水费"_s, u"水电"_s);
    addItem(database, u"9"_s, u"旧项目"_s, u"旧类别"_s, u"2020-01-01"_s);
    for (const char *method : {"现金", "转账"})
        database.insert(u"收款方式列表"_s, {{u"收款方式"_s, QString::fromUtf8(method)}});
    addStaff(database, {{u"1006"_s, u"李秀英"_s}, {u"1011"_s, u"郑华"_s}},
             {{u"7"_s, u"物业收费员"_s, u"06"_s, u"04"_s, u"1006"_s}, {u"12"_s, u"物业复核"_s, u"06"_s, u"03"_s, u"1011"_s},
              {u"13"_s, u"物业收费员二"_s, u"06"_s, u"04"_s, u"1006"_s}, {u"9"_s, u"餐饮收费员"_s, u"07"_s, u"04"_s, u"1011"_s}});
}

// The voided bills the modes tell apart.
inline void addVoidedBills(TestDatabase &database)
{
    addBill(database, u"01-2026-01"_s, u"00000001"_s, u"06"_s, u"G01"_s, u"2026-12-01"_s, u"现金"_s, u"李秀英"_s,
            {{u"1"_s, 1050.5, u"12月物业费"_s}, {u"2"_s, 150, QVariant()}, {u"1"_s, 1050.5, u"12月物业费"_s}});
    addBill(database, u"01-2026-01"_s, u"00000002"_s, u"06"_s, QVariant(), u"2026-12-09 15:30:00"_s, u"转账"_s, u"郑华"_s,
            {{u"10"_s, 80.25, u"垃圾"_s}});
    addBill(database, u"01-2026-02"_s, u"00000001"_s, u"06"_s, u"G02"_s, u"2026-12-05"_s, u"现金"_s, u"郑华"_s,
            {{u"3"_s, QVariant(), u"水费"_s}, {u"1"_s, 9.99, u"物业费"_s}});
    addBill(database, u"01-2026-03"_s, u"00000001"_s, u"07"_s, u"G07"_s, u"2026-12-02"_s, u"现金"_s, u"郑华"_s, {{u"1"_s, 5, u"餐饮"_s}});
    addBill(database, u"01-2026-01"_s, u"00000003"_s, u"06"_s, u"G01"_s, u"2026-11-30"_s, u"现金"_s, u"李秀英"_s, {{u"1"_s, 7, u"上月"_s}});
    addBill(database, u"01-2026-01"_s, u"00000004"_s, u"06"_s, u"G01"_s, u"2026-12-03"_s, QVariant(), u"李秀英"_s, {{u"1"_s, 6, u"无收款方式"_s}});
    addBill(database, u"01-2026-01"_s, u"00000005"_s, u"06"_s, u"G01"_s, QVariant(), u"现金"_s, u"李秀英"_s, {{u"1"_s, 4, u"未作废"_s}});
}
