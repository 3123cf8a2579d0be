// The void statistics report's "统计" as the window runs it, for the property
// department's office over the whole period of the office database (about 100 000
// voided lines): the statement opened through the program's connection, the grid
// filled (hidden meanwhile) with the row numbers, the widening of columns 1 to 4, the
// "合计" row and the merge settings, and the grid shown, with the events that showing
// leaves pending. The window is shown offscreen.
// Its floor, in the same run: the same statement as db::TsqlAdapter gives it to
// SQLite, stepped through sqlite3's C API on the same file, reading every column.
//
// With --bills N it runs on an office database of N bills (7000000: about a million
// lines) and also reports the process's peak resident size beside the raw size of the
// result's text (every cell as the engine gives it as text), and the resident size before
// the first "统计" (the program, Qt and the window shown).
//
// Run: build/bench/bench_report [--runs N] [--only window|floor] [--bills N]
#include "bench/OfficeData.h"
#include "bench/Timing.h"
#include "platform/db/Connection.h"
#include "platform/db/TsqlAdapter.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "report/frm收款日报表.h"
#include "shell/AppState.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdlib>
#include <sys/resource.h>

namespace {

QTextStream out(stdout);

// The process's resident size now, in MB (VmRSS).
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).simplified().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// "统计" pressed and the events it leaves pending.
double runReport(frm收款日报表 *window)
{
    MessageBoxes::clearRecords();
    const double took = bench::timeMs([window] {
        window->Command1[0]->click();
        QApplication::processEvents();
    });
    if (!MessageBoxes::records().isEmpty())
        bench::stop(QStringLiteral("the window said: ") + MessageBoxes::records().last().text);
    return took;
}

} // namespace

int main(int argc, char **argv)
{
    bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = bench::runsArgument(args, 7);

    const qsizetype billsAt = args.indexOf(QStringLiteral("--bills"));
    const int bills = billsAt > 0 && billsAt + 1 < args.size() ? args[billsAt + 1].toInt() : bench::DefaultBillCount;
    const QString file = bench::cachedOfficeDatabase(bills);
    const bench::OfficeFacts &facts = bench::officeFacts();
    setDbConnection(db::Connection::openSqlite(file));
    OperatorContext().职能部门编号 = facts.propertyDept;
    OperatorContext().职能部门名称 = QStringLiteral("物业管理中心");
    MessageBoxes::startScripting();

    auto *window = new frm收款日报表;
    window->resize(1600, 1000);
    window->show();
    QApplication::processEvents();
    if (!MessageBoxes::records().isEmpty())
        bench::stop(QStringLiteral("opening the window said: ") + MessageBoxes::records().last().text);
    int office = -1;
    for (int i = 0; i < window->Combo1->listCount(); ++i)
        if (window->Combo1->lineText(i).section(QLatin1Char(' '), 0, 0) == facts.propertyOffice)
            office = i;
    if (office < 0)
        bench::stop(QStringLiteral("the office %1 is not offered").arg(facts.propertyOffice));
    window->Combo1->setListIndex(office);
    window->Check2->setValue(1);
    window->DTPicker1->setValue(facts.firstDay);
    window->DTPicker2->setValue(facts.today);
    window->Combo2->setListIndex(0);
    window->Combo4->setListIndex(0);

    const double residentBefore = residentMb();
    runReport(window);
    const QStringList adapted = db::TsqlAdapter::toSqlite(window->StatementText);
    if (adapted.size() != 1)
        bench::stop(QStringLiteral("the report statement did not adapt to one statement"));
    sqlite3 *raw = bench::openRaw(file);
    unsigned long long sink = 0;
    const long long rows = bench::stepAll(raw, adapted.first(), &sink);
    const int lineRows = window->MSFlexGrid1->Rows() - 2;
    if (rows != lineRows)
        bench::stop(QStringLiteral("ROW COUNTS DIFFER: the grid lists %1 lines, the statement gives %2").arg(lineRows).arg(rows));
    out << "void report, office " << facts.propertyOffice << ", " << facts.firstDay.toString(Qt::ISODate) << " to "
        << facts.today.toString(Qt::ISODate) << ", every item and payment method: " << rows << " lines, total "
        << window->MSFlexGrid1->TextMatrix(lineRows + 1, 6) << "\nstatement as adapted:\n" << adapted.first() << "\n";
    out.flush();

    const auto floor = [&] { return bench::timeMs([&] { bench::stepAll(raw, adapted.first(), &sink); }); };
    if (const auto side = bench::onlySide(args)) {
        bench::printOneSide(out, *side, runs, [&] {
            return *side == bench::Side::Floor ? floor() : bench::timeMs([window] { runReport(window); });
        });
        sqlite3_close(raw);
        delete window;
        resetAppState();
        return 0;
    }

    const auto [w, f] = bench::interleavedMedians(runs, [window] { return runReport(window); }, floor);
    long long textBytes = 0;
    {
        sqlite3_stmt *statement = nullptr;
        const QByteArray text = adapted.first().toUtf8();
        sqlite3_prepare_v2(raw, text.constData(), int(text.size()), &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                sqlite3_column_text(statement, c);
                textBytes += sqlite3_column_bytes(statement, c);
            }
        sqlite3_finalize(statement);
    }
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = usage.ru_maxrss / 1024.0, textMb = textBytes / 1048576.0;
    out << "peak resident size " << QString::number(peakMb, 'f', 1) << " MB (before the first 统计 "
        << QString::number(residentBefore, 'f', 1) << " MB); the result's text "
        << QString::number(textMb, 'f', 1) << " MB; ratio " << QString::number(peakMb / textMb, 'f', 2) << "\n";
    out << "medians of " << runs << " runs:\n"
        << "  统计 + pending events (window):       " << bench::msText(w) << "\n"
        << "  sqlite3 C API, every column (floor): " << bench::msText(f) << "\n"
        << "  " << bench::ratioAgainstTarget(w, f) << "\n";
    out.flush();
    sqlite3_close(raw);
    delete window;
    resetAppState();
    return sink == 42 ? 1 : 0;
}
