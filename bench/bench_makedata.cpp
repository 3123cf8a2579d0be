// bench_makedata FILE [--bills N]
// Writes the benchmarks' office database (default 700 000 bills) into FILE, a new file:
// the program's schema, then departments, offices, charge items, bill types, books of
// 50 or 100 bills issued to departments over five years (most of the older ones written
// off), their bills (issued, voided, pre-issued and unpaid, unused) with their lines,
// and the yearly books of electronic invoices. The same seed gives the same rows.
// The benchmarks make and keep their own copy in the build folder; this tool is for
// looking at the data.
#include "bench/OfficeData.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int bills = bench::DefaultBillCount;
    QString file;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--bills") && i + 1 < args.size()) {
            bool ok = false;
            bills = args[++i].toInt(&ok);
            if (!ok || bills < 1000) {
                std::fprintf(stderr, "--bills takes a number of at least 1000\n");
                return 2;
            }
        } else if (file.isEmpty() && !args[i].startsWith(QLatin1Char('-'))) {
            file = args[i];
        } else {
            file.clear();
            break;
        }
    }
    if (file.isEmpty()) {
        std::fprintf(stderr, "usage: bench_makedata FILE [--bills N]\n");
        return 2;
    }
    if (QFileInfo::exists(file)) {
        std::fprintf(stderr, "%s exists already\n", file.toUtf8().constData());
        return 1;
    }
    const bench::GenerationReport r = bench::generateOfficeDatabase(file, bills);
    std::printf("%s: %lld bills (%lld issued, %lld voided, %lld unused, %lld pre-issued unpaid), %lld lines,\n"
                "%lld books (%lld written off), %lld issues, in %.1f s\n",
                file.toUtf8().constData(), r.bills, r.issued, r.voided, r.unused, r.unpaidPreIssued, r.lines, r.books,
                r.writtenOffBooks, r.issues, r.seconds);
    return 0;
}
