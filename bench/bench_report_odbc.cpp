// The void statistics report's statement for the property department's office over the
// whole period of the office database (about 100 000 lines), read through db::Connection
// and db::Recordset over the production path: Qt's ODBC driver, unixODBC and FreeTDS to
// the TDS test server on loopback, which runs it on a copy of the office database. Beside
// it, in the same run, the same statement through the embedded SQLite backend. A figure,
// not a target: the test server is written in Python, so most of the wire's time is the
// server's own.
//
// Run: build/bench/bench_report_odbc [--runs N]   (default 3)
#include "bench/OfficeData.h"
#include "bench/PropertyReport.h"
#include "TdsTestServer.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <chrono>
#include <ctime>

namespace {

QTextStream out(stdout);

struct Reading
{
    double ms = 0;
    double cpuMs = 0; // this process's processor time: the client's share of the work
    long long rows = 0;
    unsigned long long checksum = 0;
};

// Every cell of every line as the report reads it, as text.
Reading readAll(db::Connection &connection, const QString &sql)
{
    Reading r;
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    db::Recordset rs = connection.open(sql);
    const int columns = int(rs.columnNames().size());
    for (; !rs.eof(); rs.moveNext()) {
        for (int c = 0; c < columns; ++c)
            r.checksum += (unsigned long long)(rs.text(c).size()) * (c + 1);
        ++r.rows;
    }
    r.ms = bench::msSince(start);
    r.cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = bench::runsArgument(app.arguments(), 3);
    qputenv("TESSALINE_SOURCE_DIR", TESSALINE_SOURCE_DIR);
    qputenv("TESSALINE_BUILD_DIR", TESSALINE_BUILD_DIR);
    if (!TdsTestServer::missingPart().isEmpty()) {
        out << "cannot run: " << TdsTestServer::missingPart() << "\n";
        return 1;
    }

    // The server turns its file to write-ahead logging: it gets a copy of its own.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("office.db"));
    if (!QFile::copy(bench::cachedOfficeDatabase(), file)) {
        out << "cannot copy the office database\n";
        return 1;
    }
    const QString sql = bench::propertyOfficeReportSql();

    try {
        TdsTestServer server(file, folder.path());
        auto wire = db::Connection::openOdbc(server.connectionText(), 15);
        auto embedded = db::Connection::openSqlite(file);
        const Reading warmWire = readAll(*wire, sql);
        const Reading warmEmbedded = readAll(*embedded, sql);
        if (warmWire.rows != warmEmbedded.rows || warmWire.checksum != warmEmbedded.checksum) {
            out << "THE TWO PATHS READ DIFFERENT LINES: " << warmWire.rows << " against " << warmEmbedded.rows << "\n";
            return 1;
        }
        std::vector<double> overTheWire, clientCpu, onSqlite;
        for (int run = 0; run < runs; ++run) {
            const Reading r = readAll(*wire, sql);
            overTheWire.push_back(r.ms);
            clientCpu.push_back(r.cpuMs);
            onSqlite.push_back(readAll(*embedded, sql).ms);
        }
        const double w = bench::median(overTheWire), c = bench::median(clientCpu), s = bench::median(onSqlite);
        out << warmWire.rows << " lines, every cell read as text; medians of " << runs << " runs:\n"
            << "  ODBC, FreeTDS, TDS test server: " << bench::msText(w) << " (the program's processor time "
            << bench::msText(c) << ")\n"
            << "  embedded SQLite backend:        " << bench::msText(s) << "\n"
            << "  ratio " << QString::number(s > 0 ? w / s : 0, 'f', 1) << " (the program's processor time alone "
            << QString::number(s > 0 ? c / s : 0, 'f', 2) << ")\n";
    } catch (const db::DbError &error) {
        out << "failed: " << error.description() << "\n";
        return 1;
    }
    return 0;
}
