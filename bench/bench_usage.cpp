// The usage window (frm票据核销) listing the books the property department holds
// (about 2 000 issued, unreturned books, every type: "全部"), as the window does it:
// LoadIssuedBooks() opens its statement through the program's connection, fills the
// grid row by row (hidden meanwhile), widens the columns and shows the grid; the
// events that showing leaves pending (layout, painting the rows in view) are run
// inside the timed part. The window is shown offscreen.
// Its floor, in the same run: the same statement as db::TsqlAdapter gives it to
// SQLite, stepped through sqlite3's C API on the same file, reading every column.
// For reference, the same for the type filter's first type (one bill type) and for a
// college with a few dozen books, and the statement alone through db::Connection.
//
// Run: build/bench/bench_usage [--runs N] [--only window|floor]
// (the first run generates the data; --only times one side alone, for a profiler)
#include "bench/OfficeData.h"
#include "bench/Timing.h"
#include "platform/db/Connection.h"
#include "platform/db/TsqlAdapter.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "usage/IssuedBooksSql.h"
#include "usage/frm票据核销.h"

#include <QApplication>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdlib>

namespace {

QTextStream out(stdout);

// The grid's column of the book numbers (票据本（箱）编号).
constexpr int BookColumn = 2;

// What the operator has chosen: a department and an entry of the type filter.
struct Choice
{
    QString department;
    int typeIndex = 0; // 0 is "全部"
};

class UsageRun
{
public:
    UsageRun(frm票据核销 *window, sqlite3 *raw) : m_window(window), m_raw(raw) {}

    void choose(const Choice &choice)
    {
        // The filter first: choosing an entry reloads the list of the department chosen
        // in the tree, if there is one.
        m_window->Combo1->setListIndex(choice.typeIndex);
        m_window->SelectedDeptCode = choice.department;
        const QString typeName = choice.typeIndex == 0 ? QString() : m_window->Combo1->text();
        const QStringList adapted = db::TsqlAdapter::toSqlite(issuedBooksSql(choice.department, typeName));
        if (adapted.size() != 1)
            bench::stop(QStringLiteral("the usage statement did not adapt to one statement"));
        m_adapted = adapted.first();
        m_statement = issuedBooksSql(choice.department, typeName);
        m_pendingEvents.clear();
    }

    const QString &adapted() const { return m_adapted; }

    // LoadIssuedBooks() and the events it leaves pending.
    double window()
    {
        MessageBoxes::clearRecords();
        const double loaded = bench::timeMs([this] { m_window->LoadIssuedBooks(); });
        const double took = loaded + bench::timeMs([] { QApplication::processEvents(); });
        if (!MessageBoxes::records().isEmpty())
            bench::stop(QStringLiteral("the window said: ") + MessageBoxes::records().last().text);
        m_pendingEvents.push_back(took - loaded);
        return took;
    }

    // How long the events after each LoadIssuedBooks() took, since the last choice.
    const std::vector<double> &pendingEvents() const { return m_pendingEvents; }

    double floor(long long *rows = nullptr)
    {
        unsigned long long sink = 0;
        long long n = 0;
        const double took = bench::timeMs([&] { n = bench::stepAll(m_raw, m_adapted, &sink); });
        if (rows)
            *rows = n;
        m_sink += sink;
        return took;
    }

    // The statement alone, opened through the program's connection as the window opens it.
    double statement()
    {
        db::Recordset books;
        const double took = bench::timeMs([&] { books = DbConnection().open(m_statement); });
        m_sink += (unsigned long long)books.recordCount();
        return took;
    }

    // The books the grid lists, in its order.
    QStringList gridBooks() const
    {
        QStringList books;
        for (int row = 1; row < m_window->MSFlexGrid1->Rows(); ++row)
            books << m_window->MSFlexGrid1->TextMatrix(row, BookColumn);
        return books;
    }

    // The books of the adapted statement, in its order, straight from sqlite3.
    QStringList statementBooks() const
    {
        sqlite3_stmt *statement = nullptr;
        const QByteArray text = m_adapted.toUtf8();
        if (sqlite3_prepare_v2(m_raw, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
            bench::stop(QStringLiteral("prepare: ") + QString::fromUtf8(sqlite3_errmsg(m_raw)));
        int column = -1;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            if (QString::fromUtf8(sqlite3_column_name(statement, c)) == QStringLiteral("入库单编号"))
                column = c;
        if (column < 0)
            bench::stop(QStringLiteral("the statement has no column 入库单编号"));
        QStringList books;
        while (sqlite3_step(statement) == SQLITE_ROW)
            books << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
        sqlite3_finalize(statement);
        return books;
    }

    // One run of each, then the grid compared with the statement's rows.
    int warmUpAndCheck()
    {
        window();
        long long rows = 0;
        floor(&rows);
        const QStringList shown = gridBooks();
        if (shown.size() != rows)
            bench::stop(QStringLiteral("ROW COUNTS DIFFER: the grid lists %1 books, the statement gives %2").arg(shown.size()).arg(rows));
        if (shown != statementBooks())
            bench::stop(QStringLiteral("THE GRID'S BOOKS DIFFER from the statement's"));
        return int(rows);
    }

private:
    frm票据核销 *m_window;
    sqlite3 *m_raw;
    QString m_statement, m_adapted;
    std::vector<double> m_pendingEvents;
    unsigned long long m_sink = 0;
};

struct Medians
{
    int rows = 0;
    double window = 0, floor = 0, statement = 0;
    double pendingEvents = 0; // the part of `window` after LoadIssuedBooks() returned
};

// Window and floor interleaved, with the statement alone through db::Connection
// after each pair when asked for.
Medians measure(UsageRun &run, const Choice &choice, int runs, bool withStatement)
{
    run.choose(choice);
    Medians m;
    m.rows = run.warmUpAndCheck();
    // Without the statement its time stays 0.
    const auto medians = bench::interleavedMedians(
        runs, [&] { return run.window(); }, [&] { return run.floor(); },
        [&] { return withStatement ? run.statement() : 0.0; });
    m.pendingEvents = bench::median(run.pendingEvents());
    m.window = medians[0];
    m.floor = medians[1];
    m.statement = medians[2];
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = bench::runsArgument(args, 7);

    const QString file = bench::cachedOfficeDatabase();
    const bench::OfficeFacts &facts = bench::officeFacts();
    setDbConnection(db::Connection::openSqlite(file));
    OperatorContext().职能部门编号 = facts.propertyDept;
    OperatorContext().职能部门名称 = QStringLiteral("物业管理中心");
    MessageBoxes::startScripting();

    auto *window = new frm票据核销;
    window->show();
    QApplication::processEvents();
    if (!MessageBoxes::records().isEmpty())
        bench::stop(QStringLiteral("opening the window said: ") + MessageBoxes::records().last().text);
    if (window->Combo1->listCount() < 2 || window->Combo1->lineText(0) != QStringLiteral("全部"))
        bench::stop(QStringLiteral("the type filter is not loaded"));
    sqlite3 *raw = bench::openRaw(file);
    UsageRun run(window, raw);
    const Choice everyType{facts.propertyDept, 0};

    out << "usage window, department " << facts.propertyDept << ", \"全部\"; offscreen, window "
        << window->width() << "x" << window->height() << "\n";
    run.choose(everyType);
    out << "statement as adapted:\n" << run.adapted() << "\nplan:\n" << bench::queryPlan(raw, run.adapted()) << "\n";
    out.flush();

    // For profiling one side alone: --only window | floor.
    if (const auto side = bench::onlySide(args)) {
        out << run.warmUpAndCheck() << " books\n";
        bench::printOneSide(out, *side, runs, [&] { return *side == bench::Side::Floor ? run.floor() : run.window(); });
        sqlite3_close(raw);
        delete window;
        resetAppState();
        return 0;
    }

    const Medians all = measure(run, everyType, runs, true);
    out << all.rows << " books; medians of " << runs << " runs:\n"
        << "  LoadIssuedBooks + pending events (window): " << bench::msText(all.window) << "\n"
        << "  sqlite3 C API, every column (floor):       " << bench::msText(all.floor) << "\n"
        << "  " << bench::ratioAgainstTarget(all.window, all.floor) << "\n"
        << "  for reference: the statement alone through db::Connection " << bench::msText(all.statement)
        << "; of the window's time, the events after LoadIssuedBooks() returned " << bench::msText(all.pendingEvents) << "\n";
    out.flush();

    const Choice oneType{facts.propertyDept, 1};
    const Medians typed = measure(run, oneType, runs, false);
    out << "for reference, department " << facts.propertyDept << ", type \"" << window->Combo1->text() << "\": " << typed.rows
        << " books; window " << bench::msText(typed.window) << ", floor " << bench::msText(typed.floor) << ", ratio " << bench::ratioText(typed.window, typed.floor)
        << "\n";
    const Choice college{facts.collegeDept, 0};
    const Medians few = measure(run, college, runs, false);
    out << "for reference, department " << facts.collegeDept << ", \"全部\": " << few.rows << " books; window " << bench::msText(few.window)
        << " (the events after it " << bench::msText(few.pendingEvents) << "), floor " << bench::msText(few.floor) << ", ratio "
        << bench::ratioText(few.window, few.floor) << "\n";

    sqlite3_close(raw);
    delete window;
    resetAppState();
    return 0;
}
