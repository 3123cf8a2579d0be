// The void statistics report's statement for the property department's office over
// the whole period of the office database (about 100 000 lines), read through
// db::Connection and db::Recordset as the report window reads it: every column the
// grid shows, by name, with text() for texts, date() for dates and number() for the
// amount. Its floor, in the same run: the same statement as adapted for SQLite
// (db::TsqlAdapter::toSqlite), stepped through sqlite3's C API reading every column.
//
// Run: build/bench/bench_recordset [--runs N] [--only recordset|floor]
// (the first run generates the data; --only times one side alone, for a profiler)
#include "bench/OfficeData.h"
#include "bench/PropertyReport.h"
#include "platform/db/Connection.h"
#include "platform/db/TsqlAdapter.h"

#include <QCoreApplication>
#include <QTextStream>

#include <sqlite3.h>

#include <chrono>

namespace {

QTextStream out(stdout);

struct Timing
{
    double total = 0, open = 0;
    long long rows = 0;
    unsigned long long sink = 0;
};

// What the report window does with each line: the cells of columns 1 to 10.
Timing throughRecordset(db::Connection &connection, const QString &sql)
{
    Timing t;
    const auto start = std::chrono::steady_clock::now();
    db::Recordset rs = connection.open(sql);
    t.open = bench::msSince(start);
    for (; !rs.eof(); rs.moveNext()) {
        const QString book = rs.text(QStringLiteral("入库单编号"));
        const QString bill = rs.text(QStringLiteral("票据编号"));
        const QString payer = rs.text(QStringLiteral("付款人"));
        const QString item = rs.text(QStringLiteral("项目"));
        const QString summary = rs.text(QStringLiteral("摘要"));
        const double amount = rs.number(QStringLiteral("金额"));
        const QDate issued = rs.date(QStringLiteral("开票日期"));
        const QString issuer = rs.text(QStringLiteral("开票人"));
        const QDate paid = rs.date(QStringLiteral("收款日期"));
        const QString cashier = rs.text(QStringLiteral("收款人"));
        t.sink += book.size() + bill.size() + payer.size() + item.size() + summary.size() + issuer.size() + cashier.size()
            + (unsigned long long)(amount * 100) + (unsigned long long)issued.toJulianDay() + (unsigned long long)paid.toJulianDay();
        ++t.rows;
    }
    t.total = bench::msSince(start);
    return t;
}

Timing throughSqlite(sqlite3 *db, const QString &adapted)
{
    Timing t;
    const auto start = std::chrono::steady_clock::now();
    t.rows = bench::stepAll(db, adapted, &t.sink);
    t.total = bench::msSince(start);
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = bench::runsArgument(args, 7);

    const QString file = bench::cachedOfficeDatabase();
    const bench::OfficeFacts &facts = bench::officeFacts();
    const QString sql = bench::propertyOfficeReportSql();
    const QStringList adapted = db::TsqlAdapter::toSqlite(sql);
    if (adapted.size() != 1) {
        out << "the report statement did not adapt to one statement\n";
        return 1;
    }
    auto connection = db::Connection::openSqlite(file);
    sqlite3 *raw = bench::openRaw(file);
    out << "statement as adapted:\n" << adapted.first() << "\nplan:\n" << bench::queryPlan(raw, adapted.first()) << "\n";
    out.flush();

    // For profiling one side alone: --only recordset | floor.
    if (const int at = int(args.indexOf(QStringLiteral("--only"))); at > 0 && at + 1 < args.size()) {
        const bool floorSide = args[at + 1] == QLatin1String("floor");
        std::vector<double> times;
        for (int run = 0; run < runs; ++run)
            times.push_back(floorSide ? throughSqlite(raw, adapted.first()).total : throughRecordset(*connection, sql).total);
        out << (floorSide ? "floor" : "recordset") << " only: median " << QString::number(bench::median(times), 'f', 1) << " ms\n";
        sqlite3_close(raw);
        return 0;
    }

    // Once each to warm the file's pages.
    const Timing warm = throughRecordset(*connection, sql);
    const Timing warmRaw = throughSqlite(raw, adapted.first());
    if (warm.rows != warmRaw.rows) {
        out << "ROW COUNTS DIFFER: " << warm.rows << " against " << warmRaw.rows << "\n";
        return 1;
    }

    std::vector<double> recordset, opening, floor;
    for (int run = 0; run < runs; ++run) {
        const Timing r = throughRecordset(*connection, sql);
        recordset.push_back(r.total);
        opening.push_back(r.open);
        floor.push_back(throughSqlite(raw, adapted.first()).total);
    }
    const double a = bench::median(recordset), o = bench::median(opening), f = bench::median(floor);
    const double ratio = f > 0 ? a / f : 0;
    out << warm.rows << " lines (" << facts.firstDay.toString(Qt::ISODate) << " to " << facts.today.toString(Qt::ISODate)
        << ", office " << facts.propertyOffice << "); medians of " << runs << " runs:\n"
        << "  db::Connection::open + Recordset accessors: " << QString::number(a, 'f', 1) << " ms"
        << " (open " << QString::number(o, 'f', 1) << " ms, reading the fields " << QString::number(a - o, 'f', 1) << " ms)\n"
        << "  sqlite3 C API, every column (floor):       " << QString::number(f, 'f', 1) << " ms\n"
        << "  ratio " << QString::number(ratio, 'f', 2) << " (target <= 1.3): " << (ratio <= 1.3 ? "met" : "MISSED") << "\n";
    sqlite3_close(raw);
    return 0;
}
