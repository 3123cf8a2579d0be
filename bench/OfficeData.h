#pragma once

// The office database the benchmarks run on: a finance office of a university with
// several years of bills, made on the program's schema from a fixed seed, so every
// run and every machine gets the same rows. Generated once into the build folder and
// reused.

#include <QDate>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

struct sqlite3;

namespace bench {

constexpr int DefaultBillCount = 700000;

// The values of the generated data that the benchmarks query with.
struct OfficeFacts
{
    QDate today;              // the last day of the data
    QDate firstDay;           // the first stock-in day
    QString propertyDept;     // the department holding most books (物业管理中心, about 2 000)
    QString collegeDept;      // a department with a few dozen books
    QString propertyOffice;   // an office (GYD_DH) of the property department
    QStringList itemCodes;    // every charge item (SetupSFXM.DH)
    QStringList paymentMethods;
};
const OfficeFacts &officeFacts();

struct GenerationReport
{
    long long books = 0, bills = 0, lines = 0, voided = 0, issued = 0, unused = 0, unpaidPreIssued = 0;
    long long issues = 0, writtenOffBooks = 0;
    long long heldBooks = 0, propertyHeldBooks = 0; // issued and not given back (状态 '领用')
    double seconds = 0;
};

// Creates FILE (which must not exist) with the program's schema and the office's data.
GenerationReport generateOfficeDatabase(const QString &file, int billCount);

// The folder of the cached databases (the benchmarks' build folder).
QString dataFolder();
// The office database for billCount bills, generated on first use.
QString cachedOfficeDatabase(int billCount = DefaultBillCount);
// The same rows in a database whose schema is the program's with every
// "collate rtrim" taken out (binary collation), made on first use.
QString cachedBinaryCopy(int billCount = DefaultBillCount);
// The program's SQLite schema with every "collate rtrim" taken out.
QString binarySchemaScript();

// sqlite3 helpers for the benchmarks' floors; each failure ends the program.
sqlite3 *openRaw(const QString &file);
void execRaw(sqlite3 *db, const QString &sql);

// Runs a statement to its end through sqlite3's C API, reading every column of every
// row as its storage class gives it (sqlite3_column_text for text, _int64, _double).
// Returns the number of rows; `checksum` takes what was read, so nothing is skipped.
long long stepAll(sqlite3 *db, const QString &sql, unsigned long long *checksum = nullptr);
// EXPLAIN QUERY PLAN of a statement, one line per step, indented as sqlite3 shows it.
QString queryPlan(sqlite3 *db, const QString &sql);

double median(std::vector<double> values);

// The number after "--runs" on a benchmark's command line (at least 1), or `fallback`.
int runsArgument(const QStringList &arguments, int fallback);

// Prints why the benchmark cannot go on and ends it with status 1.
[[noreturn]] void stop(const QString &why);
// A duration for the benchmarks' output: "12.34 ms" below 10 ms, "123.4 ms" above.
QString msText(double milliseconds);

inline double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace bench
