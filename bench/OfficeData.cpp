#include "bench/OfficeData.h"

#include "db/DatabaseSetup.h"
#include "platform/db/Connection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace bench {
namespace {

// ---------------------------------------------------------------- randomness and days

// splitmix64: the same numbers from the same seed with any compiler and library.
class Random
{
public:
    explicit Random(unsigned long long seed) : m_state(seed) {}
    unsigned long long next()
    {
        unsigned long long z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return n <= 0 ? 0 : int(next() % (unsigned long long)n); }
    // lo .. hi
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    template<typename T> const T &pick(const std::vector<T> &v) { return v[size_t(below(int(v.size())))]; }

private:
    unsigned long long m_state;
};

using Day = int; // days since 1970-01-01

Day dayOf(int y, int m, int d)
{
    using namespace std::chrono;
    return int(sys_days{year{y} / month{unsigned(m)} / day{unsigned(d)}}.time_since_epoch().count());
}

std::chrono::year_month_day ymdOf(Day d)
{
    return std::chrono::year_month_day{std::chrono::sys_days{std::chrono::days{d}}};
}

std::string iso(Day d)
{
    const auto ymd = ymdOf(d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
    return buf;
}

int yearOf(Day d) { return int(ymdOf(d).year()); }
int monthOf(Day d) { return int(unsigned(ymdOf(d).month())); }

std::string digits(long long n, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, n);
    return buf;
}

double cents(double v) { return std::round(v * 100.0) / 100.0; }

[[noreturn]] void fail(sqlite3 *db, const std::string &what)
{
    std::fprintf(stderr, "sqlite: %s: %s\n", what.c_str(), db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

// ---------------------------------------------------------------- inserting

// One prepared INSERT; values are bound in column order, then run() writes the row.
class Insert
{
public:
    Insert(sqlite3 *db, const std::string &table, const std::vector<std::string> &columns) : m_db(db)
    {
        std::string names, marks;
        for (const std::string &c : columns) {
            names += (names.empty() ? "" : ", ") + c;
            marks += marks.empty() ? "?" : ", ?";
        }
        const std::string sql = "insert into " + table + " (" + names + ") values (" + marks + ")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr) != SQLITE_OK)
            fail(db, sql);
    }
    ~Insert() { sqlite3_finalize(m_statement); }
    Insert(const Insert &) = delete;
    Insert &operator=(const Insert &) = delete;

    Insert &text(const std::string &v)
    {
        sqlite3_bind_text(m_statement, m_next++, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // Empty text is NULL.
    Insert &textOrNull(const std::string &v) { return v.empty() ? null() : text(v); }
    Insert &integer(long long v)
    {
        sqlite3_bind_int64(m_statement, m_next++, v);
        return *this;
    }
    Insert &real(double v)
    {
        sqlite3_bind_double(m_statement, m_next++, v);
        return *this;
    }
    Insert &null()
    {
        sqlite3_bind_null(m_statement, m_next++);
        return *this;
    }
    Insert &dayOrNull(Day d) { return d > 0 ? text(iso(d)) : null(); }
    long long run()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            fail(m_db, "insert");
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        m_next = 1;
        return sqlite3_last_insert_rowid(m_db);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    int m_next = 1;
};

// ---------------------------------------------------------------- the organisation

struct Item
{
    const char *code, *name, *category, *unit;
    double lowPrice, highPrice;
    int maxQuantity;
};

const std::vector<Item> &items()
{
    static const std::vector<Item> list = {
        {"101", "物业管理费", "物业", "月", 80, 600, 12},   {"102", "停车费", "物业", "月", 50, 300, 12},
        {"103", "水费", "物业", "吨", 3.5, 4.8, 60},        {"104", "电费", "物业", "度", 0.56, 0.98, 400},
        {"105", "维修费", "物业", "次", 20, 800, 3},        {"106", "房屋租金", "物业", "月", 800, 9000, 6},
        {"107", "保洁费", "物业", "次", 30, 500, 4},        {"108", "垃圾清运费", "物业", "月", 20, 200, 12},
        {"201", "餐费", "餐饮", "份", 12, 60, 40},          {"202", "场地服务费", "餐饮", "次", 200, 3000, 2},
        {"203", "食堂承包费", "餐饮", "月", 5000, 30000, 3}, {"301", "住宿费", "住宿", "人", 800, 1600, 2},
        {"302", "公寓押金", "住宿", "人", 200, 500, 1},     {"303", "钥匙工本费", "住宿", "把", 10, 30, 3},
        {"401", "培训费", "培训", "人", 300, 6800, 5},      {"402", "资料费", "培训", "份", 20, 300, 10},
        {"403", "考试费", "培训", "人", 50, 400, 3},        {"404", "会议费", "培训", "人", 200, 1500, 20},
        {"405", "测试加工费", "培训", "次", 100, 5000, 3},  {"901", "其他收入", "其他", "次", 10, 2000, 2},
        {"902", "赔偿款", "其他", "次", 20, 1500, 1},       {"903", "押金", "其他", "次", 100, 3000, 1},
    };
    return list;
}

int itemIndex(const char *code)
{
    for (size_t i = 0; i < items().size(); ++i)
        if (std::string(items()[i].code) == code)
            return int(i);
    std::abort();
}

// A bill type a department uses, and how often its books are of that type (relative
// to the department's other types).
struct TypeShare
{
    const char *type;
    int weight;
};

struct Department
{
    const char *code, *name, *category;
    double weight;            // share of the paper bills
    int daysPer50;            // how long it takes to use 50 bills
    std::vector<TypeShare> types;
    std::vector<const char *> itemCodes;
    std::vector<const char *> offices;
    double officeShare;       // bills that name one of its offices
    // Books handed on to the department's collection points (the porters' lodges of
    // the estates), used slowly and kept until the point gives them back: the share
    // of the books issued within `pointDays` of today that go there.
    double pointShare = 0;
    int pointDays = 0;
};

const std::vector<Department> &departments()
{
    static const std::vector<Department> list = {
        {"01", "财务处", "01", 0, 0, {}, {"401", "404", "901"}, {}, 0},
        {"02", "后勤集团", "02", 0, 0, {}, {}, {}, 0},
        {"0201", "物业管理中心", "02", 1.0, 40, {{"01", 5}, {"04", 3}, {"03", 1}},
         {"101", "102", "103", "104", "105", "106", "107", "108", "901", "902", "903"},
         {"G01", "G02", "G03", "G04", "G05", "G06"}, 0.7, 0.65, 900},
        {"0202", "饮食服务中心", "02", 0.07, 110, {{"03", 1}, {"01", 2}}, {"201", "202", "203", "901"}, {"G07", "G08"}, 0.5},
        {"0203", "水电管理中心", "02", 0.06, 90, {{"01", 3}, {"03", 1}}, {"103", "104", "105"}, {"G09", "G10"}, 0.5},
        {"0204", "学生公寓管理中心", "02", 0.06, 150, {{"02", 1}, {"01", 1}}, {"301", "302", "303", "902"}, {"G11", "G12"}, 0.4},
        {"0205", "校园交通服务中心", "02", 0.02, 240, {{"04", 1}, {"01", 1}}, {"102", "901"}, {}, 0},
        {"0301", "计算机学院", "03", 0.01, 500, {{"02", 1}, {"01", 1}}, {"401", "402", "403", "405"}, {}, 0},
        {"0302", "经济管理学院", "03", 0.012, 450, {{"02", 1}, {"01", 1}}, {"401", "402", "403", "404"}, {}, 0},
        {"0303", "外国语学院", "03", 0.01, 520, {{"02", 1}, {"01", 1}}, {"401", "402", "403"}, {}, 0},
        {"0304", "机械工程学院", "03", 0.01, 560, {{"02", 1}, {"01", 1}}, {"401", "405", "402"}, {}, 0},
        {"0305", "化学化工学院", "03", 0.01, 600, {{"02", 1}, {"01", 1}}, {"405", "401"}, {}, 0},
        {"0306", "土木工程学院", "03", 0.008, 620, {{"02", 1}, {"01", 1}}, {"401", "405"}, {}, 0},
        {"0307", "艺术学院", "03", 0.008, 640, {{"02", 1}, {"01", 1}}, {"401", "402", "404"}, {}, 0},
        {"0308", "医学院", "03", 0.01, 520, {{"02", 1}, {"01", 1}}, {"401", "403", "405"}, {}, 0},
        {"0309", "继续教育学院", "03", 0.04, 160, {{"02", 1}, {"01", 1}}, {"401", "402", "403"}, {}, 0},
        {"0310", "国际教育学院", "03", 0.012, 430, {{"02", 1}, {"01", 1}}, {"401", "301", "402"}, {}, 0},
        {"0101", "图书馆", "01", 0.005, 700, {{"01", 1}}, {"902", "402", "901"}, {}, 0},
        {"0102", "校医院", "01", 0.015, 200, {{"02", 1}, {"01", 1}}, {"901", "403"}, {}, 0},
        {"0103", "体育部", "01", 0.005, 700, {{"01", 1}}, {"202", "901"}, {}, 0},
        {"0104", "资产管理处", "01", 0.005, 700, {{"01", 3}, {"03", 1}}, {"106", "901"}, {}, 0},
        {"0105", "保卫处", "01", 0.005, 700, {{"01", 1}}, {"102", "902"}, {}, 0},
    };
    return list;
}

struct Office
{
    const char *code, *name, *department;
    bool commercial;
};

const std::vector<Office> &offices()
{
    static const std::vector<Office> list = {
        {"G01", "东区物业管理处", "0201", false}, {"G02", "西区物业管理处", "0201", false},
        {"G03", "南区物业管理处", "0201", false}, {"G04", "北区物业管理处", "0201", false},
        {"G05", "商业街物业管理处", "0201", true}, {"G06", "家属区物业管理处", "0201", false},
        {"G07", "第一食堂", "0202", true},        {"G08", "第二食堂", "0202", true},
        {"G09", "供水管理站", "0203", false},     {"G10", "供电管理站", "0203", false},
        {"G11", "东区学生公寓", "0204", false},   {"G12", "西区学生公寓", "0204", false},
    };
    return list;
}

struct BillType
{
    const char *code, *name;
    int count;
    double faceValue;
    bool taxControlled;
};

const std::vector<BillType> &billTypes()
{
    static const std::vector<BillType> list = {
        {"01", "收款收据", 100, 0, false},
        {"02", "非税收入统一票据", 100, 0, false},
        {"03", "增值税普通发票", 50, 0, true},
        {"04", "定额发票", 100, 10, false},
        {"21", "全电普通发票", 50, 0, true},
        {"22", "全电专用发票", 25, 0, true},
    };
    return list;
}

const BillType &billType(const std::string &code)
{
    for (const BillType &t : billTypes())
        if (code == t.code)
            return t;
    std::abort();
}

const std::vector<std::string> &paymentMethods()
{
    static const std::vector<std::string> list = {"现金", "转账", "微信", "支付宝", "POS刷卡"};
    return list;
}

const std::vector<std::string> &cashiers()
{
    static const std::vector<std::string> list = {"李秀英", "王芳", "张丽", "刘洋", "陈静", "杨帆", "赵敏", "黄磊",
                                                  "周婷", "吴刚", "徐晓燕", "孙莉", "胡建华", "朱玲", "高翔", "林小红",
                                                  "何伟", "郭淑芬", "马超", "罗娟"};
    return list;
}

const char *const Surnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡",
                                "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹"};
const char *const GivenNames[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
                                  "明", "超", "秀兰", "霞", "平", "刚", "桂英", "建华", "玉兰", "文", "志强", "海燕", "晓东",
                                  "子涵", "浩然", "思远", "雨轩", "欣怡", "梓萱", "宇航", "佳怡"};
const char *const Companies[] = {"滨江科技有限公司", "新城餐饮管理有限公司", "华联超市", "东方物流有限公司", "明德教育咨询有限公司",
                                 "蓝天广告有限公司", "恒信建筑工程有限公司", "绿源环保科技有限公司", "滨江大学出版社",
                                 "中国移动通信集团滨江分公司", "滨江银行大学城支行", "锦程旅行社"};
const char *const VoidReasons[] = {"填写错误", "金额有误", "客户要求重开", "打印错位", "付款人名称有误", "收费项目有误"};

std::string personName(Random &r)
{
    return std::string(Surnames[r.below(int(std::size(Surnames)))]) + GivenNames[r.below(int(std::size(GivenNames)))];
}

std::string payerFor(Random &r, const Department &dept)
{
    if (r.chance(0.18))
        return Companies[r.below(int(std::size(Companies)))];
    if (std::string(dept.code) == "0201" || std::string(dept.code) == "0203")
        return std::to_string(r.between(1, 48)) + "栋" + std::to_string(r.between(1, 4)) + "单元" + std::to_string(r.between(1, 18))
            + digits(r.between(1, 4), 2) + " " + personName(r);
    if (std::string(dept.code) == "0204")
        return personName(r) + "（" + std::to_string(r.between(1, 30)) + "号楼" + std::to_string(r.between(101, 630)) + "）";
    return personName(r);
}

// The cashiers of a department: three of the list, the same every time.
std::string cashierOf(Random &r, size_t deptIndex)
{
    const std::vector<std::string> &all = cashiers();
    return all[(deptIndex * 3 + size_t(r.below(3))) % all.size()];
}

// ---------------------------------------------------------------- books

struct BookPlan
{
    Day stockIn = 0;
    std::string type;
    int deptIndex = 0;
    int count = 0;
};

struct WriteOff
{
    std::string number, dept;
    Day day = 0;
    long long books = 0, issued = 0, voided = 0, unused = 0, preIssued = 0;
    double amount = 0, preIssuedAmount = 0;
};

class Generator
{
public:
    Generator(sqlite3 *db, int billCount) : m_db(db), m_billCount(billCount), m_random(20261209) {}

    GenerationReport run()
    {
        writeOrganisation();
        planBooks();
        m_bill = std::make_unique<Insert>(m_db, "票据",
            std::vector<std::string>{"票据编号", "入库单编号", "金额", "开票部门编号", "开票日期", "付款人", "预开", "收款日期", "开票人",
                                     "收款人", "收款方式", "作废日期", "作废原因", "作废人", "核销日期", "核销人", "管理处", "收款凭证编号"});
        m_line = std::make_unique<Insert>(m_db, "票据开票数据",
            std::vector<std::string>{"票据id", "票据编号", "入库单编号", "品名", "规格", "项目", "数量", "单价", "单位", "金额", "摘要", "科目代号",
                                     "收费项目代号", "非日常", "收款凭证编号", "税额", "税率", "应税科目", "不含税单价", "不含税金额"});
        m_book = std::make_unique<Insert>(m_db, "票据入库单",
            std::vector<std::string>{"入库单编号", "票据类型编号", "份数", "起始编号", "终止编号", "入库时间", "备注", "税控机编号", "状态", "税控", "使用"});
        m_issueLine = std::make_unique<Insert>(m_db, "票据领用清单", std::vector<std::string>{"领用记录编号", "入库单编号", "核销日期", "归还日期"});
        m_issue = std::make_unique<Insert>(m_db, "票据领用记录", std::vector<std::string>{"票据领用记录编号", "领用日期", "领用部门代号"});
        m_writeOffLine = std::make_unique<Insert>(m_db, "票据核销",
            std::vector<std::string>{"核销记录编号", "入库单编号", "核销份数", "开票份数", "作废份数", "未用份数", "开票金额合计", "预开份数", "预开金额合计"});

        for (const BookPlan &plan : m_plans)
            writePaperBook(plan);
        writeYearlyBooks();
        writeWriteOffRecords();
        m_report.bills = m_billsWritten;
        return m_report;
    }

private:
    // ------------------------------------------------------------ master data

    void writeOrganisation()
    {
        Insert category(m_db, "职能部门类别", {"部门类别代号", "部门类别名称"});
        category.text("01").text("机关部门").run();
        category.text("02").text("后勤服务").run();
        category.text("03").text("教学单位").run();

        Insert dept(m_db, "职能部门new", {"职能部门编号", "职能部门名称", "职能部门类别代号", "序号", "显示协调位置"});
        Insert parent(m_db, "上级部门new", {"职能部门编号", "上级部门编号", "起始日期"});
        int order = 0;
        for (const Department &d : departments()) {
            ++order;
            dept.text(d.code).text(d.name).text(d.category).integer(order).integer(order).run();
            if (std::string(d.code).size() == 4)
                parent.text(d.code).text(std::string(d.code).substr(0, 2) == "02" ? "02" : "01").text("2015-01-01").run();
        }

        Insert employee(m_db, "员工档案", {"工号", "姓名", "帐号密码"});
        int number = 2001;
        for (const std::string &name : cashiers())
            employee.text(std::to_string(number++)).text(name).text("123").run();

        Insert office(m_db, "设置管理处", {"GYD_DH", "GYD_Name", "对应部门代号", "商用物业"});
        for (const Office &o : offices())
            office.text(o.code).text(o.name).text(o.department).integer(o.commercial ? 1 : 0).run();

        Insert item(m_db, "SetupSFXM", {"DH", "XM", "收费类别"});
        for (const Item &i : items())
            item.text(i.code).text(i.name).text(i.category).run();

        Insert method(m_db, "收款方式列表", {"收款方式"});
        for (const std::string &m : paymentMethods())
            method.text(m).run();

        Insert type(m_db, "票据类型", {"票据类型代号", "票据类型", "份数", "面值", "税控"});
        for (const BillType &t : billTypes()) {
            type.text(t.code).text(t.name).integer(t.count);
            if (t.faceValue != 0)
                type.real(t.faceValue);
            else
                type.null();
            type.integer(t.taxControlled ? 1 : 0).run();
        }

        Insert machine(m_db, "票据税控机", {"税控机编号", "使用单位", "启用日期"});
        machine.text("TX001").text("0201").text("2022-01-01").run();
        machine.text("TX002").text("0202").text("2022-03-01").run();
        machine.text("TX003").text("01").text("2024-01-01").run();

        Insert closing(m_db, "封帐", {"职能部门代号", "封帐日期"});
        for (const Department &d : departments())
            closing.text(d.code).text("2026-10-31").run();
    }

    // ------------------------------------------------------------ plans

    // One of the department's bill types, as often as its weight says.
    const char *typeFor(const Department &d)
    {
        int total = 0;
        for (const TypeShare &t : d.types)
            total += t.weight;
        int pick = m_random.below(total);
        for (const TypeShare &t : d.types) {
            if (pick < t.weight)
                return t.type;
            pick -= t.weight;
        }
        return d.types.back().type;
    }

    void planBooks()
    {
        const OfficeFacts &facts = officeFacts();
        m_today = dayOf(facts.today.year(), facts.today.month(), facts.today.day());
        m_first = dayOf(facts.firstDay.year(), facts.firstDay.month(), facts.firstDay.day());
        // Electronic invoices, from 2024 on, take a small share; paper books the rest.
        m_yearlyBills = int(std::lround(m_billCount * 0.045));
        const long long paper = m_billCount - m_yearlyBills;
        std::vector<double> cumulative;
        double total = 0;
        for (const Department &d : departments())
            cumulative.push_back(total += d.weight);
        long long planned = 0;
        while (planned < paper) {
            BookPlan plan;
            const double w = m_random.unit() * total;
            plan.deptIndex = int(std::lower_bound(cumulative.begin(), cumulative.end(), w) - cumulative.begin());
            while (departments()[size_t(plan.deptIndex)].weight == 0)
                ++plan.deptIndex;
            const Department &d = departments()[size_t(plan.deptIndex)];
            plan.type = typeFor(d);
            plan.count = int(std::min<long long>(billType(plan.type).count, paper - planned));
            plan.stockIn = m_first + m_random.below(m_today - 3 - m_first);
            planned += plan.count;
            m_plans.push_back(plan);
        }
        std::stable_sort(m_plans.begin(), m_plans.end(), [](const BookPlan &a, const BookPlan &b) { return a.stockIn < b.stockIn; });
    }

    // ------------------------------------------------------------ one book

    struct BookState
    {
        std::string number;
        Day issued = 0;       // 领用日期, 0 when in stock
        Day usedUntil = 0;    // the last day bills were written on
        Day period = 0;       // days to use the whole book
        Day writtenOff = 0;
        Day returned = 0;
    };

    std::string nextBookNumber(const std::string &type, Day stockIn)
    {
        const std::string key = type + std::to_string(yearOf(stockIn));
        return key + digits(++m_bookSequence[key], 4);
    }

    std::string issueRecord(const Department &dept, Day day)
    {
        const std::string key = std::string(dept.code) + "|" + iso(day);
        auto it = m_issueRecords.find(key);
        if (it != m_issueRecords.end())
            return it->second;
        const std::string compact = iso(day).substr(0, 4) + iso(day).substr(5, 2) + iso(day).substr(8, 2);
        const std::string number = "LY" + compact + digits(++m_issuesPerDay[compact], 3);
        m_issue->text(number).text(iso(day)).text(dept.code).run();
        ++m_report.issues;
        m_issueRecords.emplace(key, number);
        return number;
    }

    // A book at a collection point is still held today, written in up to today: a
    // fresh one has most of its bills left, an older one anything up to nearly all
    // used. Its period is what makes that share of it used by today.
    void planCollectionPointBook(BookState &book)
    {
        Random &r = m_random;
        const Day age = m_today - book.issued;
        double share;
        if (age < 45) {
            share = 0.3 * r.unit();
        } else {
            const int roll = r.below(100);
            share = roll < 15 ? 0.02 + 0.25 * r.unit()   // a quiet point
                : roll < 75   ? 0.3 + 0.55 * r.unit()    // half used or so
                              : 0.86 + 0.13 * r.unit();  // nearly full
        }
        book.usedUntil = m_today;
        book.period = share > 0 ? std::max<Day>(1, Day(std::lround(std::max<Day>(age, 1) / share))) : 1000000;
    }

    void writePaperBook(const BookPlan &plan)
    {
        const Department &dept = departments()[size_t(plan.deptIndex)];
        const BillType &type = billType(plan.type);
        Random &r = m_random;
        BookState book;
        book.number = nextBookNumber(plan.type, plan.stockIn);

        // Issued some days after the stock-in; the newest books partly still in stock.
        const bool recent = m_today - plan.stockIn < 30;
        const bool issued = recent ? r.chance(0.5) : r.chance(0.97);
        if (issued) {
            book.issued = std::min(m_today, plan.stockIn + r.between(1, 40));
            if (book.issued >= m_today - dept.pointDays && r.chance(dept.pointShare)) {
                planCollectionPointBook(book);
            } else {
                book.period = std::max(5, int(dept.daysPer50 * (plan.count / 50.0) * (0.6 + 0.8 * r.unit())));
                Day end = book.issued + book.period;
                if (end < m_today - 20 && r.chance(0.92))
                    book.writtenOff = std::min(m_today, end + r.between(5, 60));
                else if (r.chance(0.02))
                    book.returned = std::min(m_today, book.issued + r.between(20, 200));
                book.usedUntil = std::min({end, m_today, book.returned > 0 ? book.returned : m_today});
            }
        }
        const double usedShare = !issued ? 0.0
            : std::clamp(double(book.usedUntil - book.issued) / double(book.period), 0.0, 1.0);
        const int used = int(std::lround(usedShare * plan.count));

        long long &counter = m_typeCounter[plan.type];
        if (counter == 0)
            counter = 10000001;
        const long long first = counter;
        counter += plan.count;
        const std::string state = book.writtenOff ? "核销" : (issued && !book.returned) ? "领用" : "在库";
        m_book->text(book.number).text(plan.type).integer(plan.count).text(digits(first, 8)).text(digits(first + plan.count - 1, 8))
            .text(iso(plan.stockIn)).null();
        if (type.taxControlled)
            m_book->text(std::string(dept.code) == "0202" ? "TX002" : "TX001");
        else
            m_book->null();
        m_book->text(state).integer(type.taxControlled ? 1 : 0).integer(used > 0 ? 1 : 0).run();
        ++m_report.books;
        if (state == "领用") {
            ++m_report.heldBooks;
            if (std::string(dept.code) == officeFacts().propertyDept.toStdString())
                ++m_report.propertyHeldBooks;
        }

        WriteOff *writeOff = nullptr;
        if (issued) {
            const std::string record = issueRecord(dept, book.issued);
            m_issueLine->text(record).text(book.number).dayOrNull(book.writtenOff).dayOrNull(book.returned).run();
            if (book.writtenOff) {
                const std::string key = std::string(dept.code) + digits(yearOf(book.writtenOff), 4) + digits(monthOf(book.writtenOff), 2);
                WriteOff &w = m_writeOffs[key];
                if (w.number.empty()) {
                    w.number = "HX" + key;
                    w.dept = dept.code;
                    w.day = book.writtenOff;
                }
                writeOff = &w;
                ++m_report.writtenOffBooks;
            }
        }

        long long bookIssued = 0, bookVoided = 0, bookPre = 0;
        double bookAmount = 0, bookPreAmount = 0;
        for (int i = 0; i < plan.count; ++i) {
            const std::string number = digits(first + i, 8);
            BillFigures f;
            if (i < used) {
                const Day day = std::min(m_today, book.issued + Day(double(i) / std::max(1, used) * (book.usedUntil - book.issued)) + r.below(3));
                f = writeUsedBill(number, book, dept, size_t(plan.deptIndex), type, day, bool(book.writtenOff));
            } else {
                writeUnusedBill(number, book.number, type);
                ++m_report.unused;
            }
            bookIssued += f.issued;
            bookVoided += f.voided;
            bookPre += f.preIssued;
            bookAmount += f.amount;
            bookPreAmount += f.preIssuedAmount;
        }
        if (writeOff) {
            m_writeOffLine->text(writeOff->number).text(book.number).integer(plan.count).integer(bookIssued).integer(bookVoided)
                .integer(plan.count - bookIssued - bookVoided).real(cents(bookAmount)).integer(bookPre).real(cents(bookPreAmount)).run();
            ++writeOff->books;
            writeOff->issued += bookIssued;
            writeOff->voided += bookVoided;
            writeOff->unused += plan.count - bookIssued - bookVoided;
            writeOff->preIssued += bookPre;
            writeOff->amount += bookAmount;
            writeOff->preIssuedAmount += bookPreAmount;
        }
    }

    struct BillFigures
    {
        int issued = 0, voided = 0, preIssued = 0;
        double amount = 0, preIssuedAmount = 0;
    };

    // A bill written on `day`: issued, pre-issued or voided, with its lines.
    BillFigures writeUsedBill(const std::string &number, const BookState &book, const Department &dept, size_t deptIndex,
                              const BillType &type, Day day, bool writtenOff)
    {
        Random &r = m_random;
        BillFigures f;
        const bool voided = r.chance(0.143);
        const bool preIssued = !voided && r.chance(0.06);
        const bool unpaid = preIssued && !writtenOff && m_today - day < 180 && r.chance(0.7);
        const std::string cashier = cashierOf(r, deptIndex);
        const std::string payer = payerFor(r, dept);

        // The lines first: the bill's amount is their sum.
        const int roll = r.below(100);
        const int lineCount = roll < 45 ? 1 : roll < 80 ? 2 : roll < 95 ? 3 : 4;
        struct Line
        {
            int item;
            double quantity, price, amount;
        };
        std::vector<Line> lines;
        double total = 0;
        for (int k = 0; k < lineCount; ++k) {
            Line line;
            line.item = itemIndex(dept.itemCodes[size_t(r.below(int(dept.itemCodes.size())))]);
            const Item &it = items()[size_t(line.item)];
            line.quantity = r.between(1, it.maxQuantity);
            line.price = type.faceValue != 0 ? type.faceValue : cents(it.lowPrice + (it.highPrice - it.lowPrice) * r.unit());
            line.amount = cents(line.quantity * line.price);
            total += line.amount;
            lines.push_back(line);
        }
        total = cents(total);

        Day paid = 0;
        if (!unpaid)
            paid = std::min(m_today, preIssued ? day + r.between(5, 60) : r.chance(0.85) ? day : day + r.between(1, 15));
        Day voidDay = 0;
        if (voided)
            voidDay = std::min(m_today, day + (r.chance(0.7) ? r.between(0, 5) : r.between(6, 30)));
        const std::string method = unpaid || (voided && r.chance(0.05)) ? std::string() : r.pick(paymentMethods());
        std::string office;
        if (!dept.offices.empty() && r.chance(dept.officeShare))
            office = dept.offices[size_t(r.below(int(dept.offices.size())))];
        const std::string voucher = paid ? "SK" + iso(paid).substr(0, 4) + digits(++m_voucher, 7) : std::string();

        m_bill->text(number).text(book.number).real(total).text(dept.code).text(iso(day)).text(payer).integer(preIssued ? 1 : 0)
            .dayOrNull(paid).text(cashier).textOrNull(paid ? cashier : std::string()).textOrNull(method).dayOrNull(voidDay);
        if (voided)
            m_bill->text(VoidReasons[r.below(int(std::size(VoidReasons)))]).text(cashier);
        else
            m_bill->null().null();
        if (writtenOff)
            m_bill->text(iso(book.writtenOff)).text("李秀英");
        else
            m_bill->null().null();
        m_bill->textOrNull(office).textOrNull(voucher);
        const long long id = m_bill->run();
        ++m_billsWritten;

        const std::string month = std::to_string(yearOf(day)) + "年" + std::to_string(monthOf(day)) + "月";
        for (const Line &line : lines) {
            const Item &it = items()[size_t(line.item)];
            const std::string category = it.category;
            const std::string summary = category == "物业" || category == "住宿" ? month + it.name : std::string(it.name) + "（" + month + "）";
            m_line->integer(id).text(number).text(book.number).text(it.name).null().text(it.name).real(line.quantity).real(line.price)
                .text(it.unit).real(line.amount).text(summary).text(std::string("6") + it.code).text(it.code).integer(0).textOrNull(voucher);
            if (type.taxControlled) {
                const double tax = cents(line.amount * 0.06 / 1.06);
                m_line->real(tax).real(0.06).text("应交税费-增值税").real(cents(line.price / 1.06)).real(cents(line.amount - tax));
            } else {
                m_line->null().null().null().null().null();
            }
            m_line->run();
            ++m_report.lines;
        }

        if (voided) {
            f.voided = 1;
            ++m_report.voided;
        } else {
            f.issued = 1;
            f.amount = total;
            ++m_report.issued;
            if (preIssued && !paid) {
                f.preIssued = 1;
                f.preIssuedAmount = total;
                ++m_report.unpaidPreIssued;
            }
        }
        return f;
    }

    void writeUnusedBill(const std::string &number, const std::string &book, const BillType &type)
    {
        m_bill->text(number).text(book);
        if (type.faceValue != 0)
            m_bill->real(type.faceValue);
        else
            m_bill->null();
        m_bill->null().null().null().integer(0); // 开票部门编号, 开票日期, 付款人; 预开
        for (int k = 0; k < 11; ++k)
            m_bill->null();
        m_bill->run();
        ++m_billsWritten;
    }

    // ------------------------------------------------------------ electronic invoices

    // The yearly books of the stock-in window, one per type and year, their numbers
    // registered one by one and issued by the finance office.
    void writeYearlyBooks()
    {
        struct Share
        {
            const char *type;
            int year;
            double share;
        };
        const Share shares[] = {{"21", 2024, 0.30}, {"21", 2025, 0.35}, {"21", 2026, 0.20},
                                {"22", 2024, 0.04}, {"22", 2025, 0.06}, {"22", 2026, 0.05}};
        const size_t finance = 0;
        const Department &dept = departments()[finance];
        long long left = m_yearlyBills;
        for (size_t s = 0; s < std::size(shares); ++s) {
            const Share &share = shares[s];
            const long long count = s + 1 == std::size(shares) ? left : std::lround(m_yearlyBills * share.share);
            left -= count;
            if (count <= 0)
                continue;
            const BillType &type = billType(share.type);
            BookState book;
            book.number = std::string(share.type) + "-" + std::to_string(share.year);
            const Day start = dayOf(share.year, 1, 4);
            const Day end = std::min(m_today, dayOf(share.year, 12, 31));
            const std::string prefix = std::to_string(share.year % 100) + "4420000"; // 20 digits in all
            const std::string firstNumber = prefix + digits(1, 11);
            m_book->text(book.number).text(share.type).integer(type.count).text(firstNumber).text(firstNumber).text(iso(start)).null()
                .text("TX003").text("在库").integer(1).integer(1).run();
            ++m_report.books;
            for (long long i = 0; i < count; ++i) {
                const std::string number = prefix + digits(i + 1, 11);
                const Day day = start + Day(double(i) / double(count) * (end - start));
                if (share.year == 2026 && i > count * 9 / 10) {
                    writeUnusedBill(number, book.number, type); // registered, not yet written
                    ++m_report.unused;
                } else {
                    writeUsedBill(number, book, dept, finance, type, day, false);
                }
            }
        }
    }

    void writeWriteOffRecords()
    {
        Insert record(m_db, "票据核销记录",
                      {"核销记录编号", "核销部门代号", "核销日期", "核销人", "核销数量", "已开数量", "作废数量", "未用数", "预开数量", "开票金额", "预开金额",
                       "流水号", "字"});
        int serial = 0;
        for (const auto &[key, w] : m_writeOffs)
            record.text(w.number).text(w.dept).text(iso(w.day)).text("李秀英").integer(w.books).integer(w.issued).integer(w.voided)
                .integer(w.unused).integer(w.preIssued).real(cents(w.amount)).real(cents(w.preIssuedAmount))
                .text(digits(++serial, 6)).text("核").run();
    }

    sqlite3 *m_db;
    int m_billCount;
    Random m_random;
    Day m_today = 0, m_first = 0;
    int m_yearlyBills = 0;
    long long m_billsWritten = 0;
    long long m_voucher = 0;
    std::vector<BookPlan> m_plans;
    std::map<std::string, int> m_bookSequence;
    std::map<std::string, long long> m_typeCounter;
    std::map<std::string, std::string> m_issueRecords;
    std::map<std::string, int> m_issuesPerDay;
    std::map<std::string, WriteOff> m_writeOffs;
    std::unique_ptr<Insert> m_bill, m_line, m_book, m_issueLine, m_issue, m_writeOffLine;
    GenerationReport m_report;
};

QString schemaFingerprint()
{
    // A new schema or a new generator makes new files: the build gives the generator's
    // own source text's hash (bench/CMakeLists.txt).
    const QByteArray text = DatabaseSetup::sqliteSchemaScript().toUtf8() + "office-data|" TESSALINE_BENCH_GENERATOR_HASH;
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex().left(10));
}

} // namespace

const OfficeFacts &officeFacts()
{
    static const OfficeFacts facts = [] {
        OfficeFacts f;
        f.today = QDate(2026, 12, 9);
        f.firstDay = QDate(2022, 1, 4);
        f.propertyDept = QStringLiteral("0201");
        f.collegeDept = QStringLiteral("0302");
        f.propertyOffice = QStringLiteral("G01");
        for (const Item &i : items())
            f.itemCodes << QString::fromUtf8(i.code);
        for (const std::string &m : paymentMethods())
            f.paymentMethods << QString::fromStdString(m);
        return f;
    }();
    return facts;
}

sqlite3 *openRaw(const QString &file)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        fail(db, "open " + file.toStdString());
    sqlite3_busy_timeout(db, 15000);
    return db;
}

void execRaw(sqlite3 *db, const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s: %s\n", sql.left(200).toUtf8().constData(), message ? message : "");
        std::exit(1);
    }
}

GenerationReport generateOfficeDatabase(const QString &file, int billCount)
{
    const auto started = std::chrono::steady_clock::now();
    {
        auto connection = db::Connection::createSqlite(file);
        DatabaseSetup::createSchema(*connection);
    }
    sqlite3 *db = openRaw(file);
    execRaw(db, QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -262144; BEGIN"));
    GenerationReport report = Generator(db, billCount).run();
    execRaw(db, QStringLiteral("COMMIT"));
    execRaw(db, QStringLiteral("PRAGMA journal_mode = DELETE"));
    sqlite3_close(db);
    report.seconds = msSince(started) / 1000.0;
    return report;
}

QString binarySchemaScript()
{
    QString script = DatabaseSetup::sqliteSchemaScript();
    script.replace(QStringLiteral(" collate rtrim"), QString(), Qt::CaseInsensitive);
    return script;
}

QString dataFolder()
{
    return QStringLiteral(TESSALINE_BENCH_DATA_DIR);
}

QString cachedOfficeDatabase(int billCount)
{
    const QString file = QDir(dataFolder()).filePath(QStringLiteral("office-%1-%2.db").arg(billCount).arg(schemaFingerprint()));
    if (QFileInfo::exists(file))
        return file;
    const QString part = file + QStringLiteral(".part");
    QFile::remove(part);
    std::fprintf(stderr, "generating %s ...\n", file.toUtf8().constData());
    const GenerationReport r = generateOfficeDatabase(part, billCount);
    std::fprintf(stderr,
                 "  %lld bills (%lld issued, %lld voided, %lld unused, %lld pre-issued unpaid), %lld lines,\n"
                 "  %lld books (%lld written off, %lld held, %lld of them by %s), %lld issues, in %.1f s\n",
                 r.bills, r.issued, r.voided, r.unused, r.unpaidPreIssued, r.lines, r.books, r.writtenOffBooks, r.heldBooks,
                 r.propertyHeldBooks, officeFacts().propertyDept.toUtf8().constData(), r.issues, r.seconds);
    if (!QFile::rename(part, file)) {
        std::fprintf(stderr, "cannot rename %s\n", part.toUtf8().constData());
        std::exit(1);
    }
    return file;
}

QString cachedBinaryCopy(int billCount)
{
    const QString source = cachedOfficeDatabase(billCount);
    QString file = source;
    file.replace(QStringLiteral(".db"), QStringLiteral("-binary.db"));
    if (QFileInfo::exists(file))
        return file;
    const QString part = file + QStringLiteral(".part");
    QFile::remove(part);
    std::fprintf(stderr, "copying into binary collation: %s ...\n", file.toUtf8().constData());
    const auto started = std::chrono::steady_clock::now();
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(part.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail(db, "create " + part.toStdString());
    execRaw(db, QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -262144; BEGIN"));
    for (const QString &statement : DatabaseSetup::scriptStatements(binarySchemaScript()))
        execRaw(db, statement);
    execRaw(db, QStringLiteral("ATTACH DATABASE '%1' AS source").arg(QString(source).replace(QLatin1Char('\''), QStringLiteral("''"))));
    sqlite3_stmt *tables = nullptr;
    sqlite3_prepare_v2(db, "select name from source.sqlite_master where type = 'table' and name not like 'sqlite_%' order by rowid", -1,
                       &tables, nullptr);
    QStringList names;
    while (sqlite3_step(tables) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(tables, 0)));
    sqlite3_finalize(tables);
    for (const QString &name : names)
        execRaw(db, QStringLiteral("insert into main.\"%1\" select * from source.\"%1\"").arg(name));
    execRaw(db, QStringLiteral("COMMIT"));
    execRaw(db, QStringLiteral("DETACH DATABASE source"));
    execRaw(db, QStringLiteral("PRAGMA journal_mode = DELETE"));
    sqlite3_close(db);
    std::fprintf(stderr, "  done in %.1f s\n", msSince(started) / 1000.0);
    if (!QFile::rename(part, file)) {
        std::fprintf(stderr, "cannot rename %s\n", part.toUtf8().constData());
        std::exit(1);
    }
    return file;
}

long long stepAll(sqlite3 *db, const QString &sql, unsigned long long *checksum)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        fail(db, sql.left(200).toStdString());
    long long rows = 0;
    unsigned long long sum = 0;
    const int columns = sqlite3_column_count(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                sum += (unsigned long long)sqlite3_column_int64(statement, c);
                break;
            case SQLITE_FLOAT:
                sum += (unsigned long long)(sqlite3_column_double(statement, c) * 100);
                break;
            case SQLITE_TEXT: {
                const unsigned char *t = sqlite3_column_text(statement, c);
                const int n = sqlite3_column_bytes(statement, c);
                sum += (unsigned long long)n + (n > 0 ? t[n - 1] : 0);
                break;
            }
            default:
                break;
            }
        }
    }
    if (rc != SQLITE_DONE)
        fail(db, "step");
    sqlite3_finalize(statement);
    if (checksum)
        *checksum = sum;
    return rows;
}

QString queryPlan(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = (QStringLiteral("EXPLAIN QUERY PLAN ") + sql).toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        fail(db, "explain");
    std::map<int, int> depthOf;
    QStringList lines;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int id = sqlite3_column_int(statement, 0), parent = sqlite3_column_int(statement, 1);
        const int depth = parent == 0 ? 0 : depthOf[parent] + 1;
        depthOf[id] = depth;
        lines << QString(depth * 3, QLatin1Char(' ')) + QStringLiteral("`--")
                + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 3)));
    }
    sqlite3_finalize(statement);
    return lines.join(QLatin1Char('\n'));
}

int runsArgument(const QStringList &arguments, int fallback)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--runs"));
    return at > 0 && at + 1 < arguments.size() ? qMax(1, arguments[at + 1].toInt()) : fallback;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void stop(const QString &why)
{
    QTextStream out(stdout);
    out << why << "\n";
    out.flush();
    std::exit(1);
}

QString msText(double milliseconds)
{
    return QString::number(milliseconds, 'f', milliseconds < 10 ? 2 : 1) + QStringLiteral(" ms");
}

} // namespace bench
