// The void statistics report's statement for the property department's office over the
// whole period of the office database (about 100 000 lines), read through db::Connection
// over the production path: Qt's ODBC driver, unixODBC and FreeTDS to the TDS test server
// on loopback, which runs it on a copy of the office database. Read twice: into a
// db::Recordset with every cell read as text, and into the typed db::ResultTable the
// report's grid shows. Beside each, in the same run, the same statement through the
// embedded SQLite backend. A figure, not a target: the test server is written in Python,
// so most of the wire's time is the server's own; the program's processor time is its part.
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

// The result as the report's grid takes it: a typed table, no cell read.
Reading readTable(db::Connection &connection, const QString &sql, db::ResultTable *keep = nullptr)
{
    Reading r;
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    db::ResultTable table = connection.openTable(sql);
    r.ms = bench::msSince(start);
    r.cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    r.rows = table.rowCount();
    if (keep)
        *keep = std::move(table);
    return r;
}

// The first row and column where two tables differ in a cell's text or NULL, or "".
QString firstDifference(const db::ResultTable &a, const db::ResultTable &b)
{
    if (a.rowCount() != b.rowCount() || a.columnCount() != b.columnCount())
        return QStringLiteral("%1 against %2 lines").arg(a.rowCount()).arg(b.rowCount());
    for (int row = 0; row < a.rowCount(); ++row)
        for (int c = 0; c < a.columnCount(); ++c)
            if (a.isNull(row, c) != b.isNull(row, c) || a.text(row, c) != b.text(row, c))
                return QStringLiteral("line %1, %2: %3 against %4").arg(row).arg(a.columnNames()[c], a.text(row, c), b.text(row, c));
    return QString();
}

struct Medians
{
    double wireMs = 0, wireCpuMs = 0, embeddedMs = 0;
};

void printMedians(const QString &what, const Medians &m)
{
    out << what << ":\n"
        << "  ODBC, FreeTDS, TDS test server: " << bench::msText(m.wireMs) << " (the program's processor time "
        << bench::msText(m.wireCpuMs) << ")\n"
        << "  embedded SQLite backend:        " << bench::msText(m.embeddedMs) << "\n"
        << "  ratio " << QString::number(m.embeddedMs > 0 ? m.wireMs / m.embeddedMs : 0, 'f', 1)
        << " (the program's processor time alone "
        << QString::number(m.embeddedMs > 0 ? m.wireCpuMs / m.embeddedMs : 0, 'f', 2) << ")\n";
}

// Each reading over the wire and on the embedded backend in turn; their medians.
template<typename Read>
Medians medians(int runs, Read read)
{
    std::vector<double> overTheWire, clientCpu, onSqlite;
    for (int run = 0; run < runs; ++run) {
        const Reading r = read(true);
        overTheWire.push_back(r.ms);
        clientCpu.push_back(r.cpuMs);
        onSqlite.push_back(read(false).ms);
    }
    return Medians{bench::median(overTheWire), bench::median(clientCpu), bench::median(onSqlite)};
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
        db::ResultTable wireTable, embeddedTable;
        readTable(*wire, sql, &wireTable);
        readTable(*embedded, sql, &embeddedTable);
        const QString difference = firstDifference(wireTable, embeddedTable);
        if (!difference.isEmpty()) {
            out << "THE TWO PATHS READ DIFFERENT TABLES: " << difference << "\n";
            return 1;
        }
        wireTable = embeddedTable = db::ResultTable();
        const Medians text = medians(runs, [&](bool overWire) { return readAll(overWire ? *wire : *embedded, sql); });
        const Medians typed = medians(runs, [&](bool overWire) { return readTable(overWire ? *wire : *embedded, sql); });
        out << warmWire.rows << " lines; medians of " << runs << " runs.\n";
        printMedians(QStringLiteral("Into a recordset, every cell read as text"), text);
        printMedians(QStringLiteral("Into the typed table (openTable)"), typed);
    } catch (const db::DbError &error) {
        out << "failed: " << error.description() << "\n";
        return 1;
    }
    return 0;
}
