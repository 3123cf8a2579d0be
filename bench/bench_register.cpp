// Registering one bill in the stock-in window (frm票据入库: choose the type, "新增",
// type the number, "确定"), timed from "确定" to "录入完成！", on a copy of the office
// database:
//   - the 100 001st bill of a yearly book (21-2027, 100 000 bills already),
//   - the first bill of a yearly book that exists and holds no bill (21-2101, 21-2102, ...),
//   - the first bill of a year, which creates its yearly book (22-2101, 22-2102, ...),
// against the floor: the same kind of bill inserted with one bare sqlite3 INSERT in a
// transaction of its own (each registration is one write transaction as well).
// Then the registration's statements, run through db::Connection one by one for the
// big book, show where its time goes.
//
// Run: build/bench/bench_register [--runs N] [--only big]   (the first run generates the data;
// --only big times the 100 001st bill alone, for a profiler)
#include "bench/OfficeData.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Program.h"
#include "stock/StockSql.h"
#include "stock/frm票据入库.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>

#include <sqlite3.h>

#include <chrono>
#include <optional>

namespace {

QTextStream out(stdout);

constexpr int BigBookBills = 100000;
const QString BigBook = QStringLiteral("21-2027");
const int FirstEmptyYear = 2101;

// A 20-digit electronic invoice number of 2027.
QString invoiceNumber(long long n)
{
    return QStringLiteral("274420000") + QString::number(n).rightJustified(11, QLatin1Char('0'));
}

// The copy: the big yearly book with its bills, and empty yearly books for the later years.
QString prepareCopy(int runs)
{
    const QString copy = QDir(bench::dataFolder()).filePath(QStringLiteral("register.db"));
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral("-journal"));
    if (!QFile::copy(bench::cachedOfficeDatabase(), copy)) {
        out << "cannot copy the office database to " << copy << "\n";
        std::exit(1);
    }
    sqlite3 *db = bench::openRaw(copy);
    bench::execRaw(db, QStringLiteral("BEGIN"));
    bench::execRaw(db, QStringLiteral("insert into 票据入库单 (入库单编号, 票据类型编号, 份数, 起始编号, 终止编号, 入库时间, 状态, 税控) "
                                      "values ('%1', '21', 50, '%2', '%2', '2027-01-04', '在库', 1)")
                           .arg(BigBook, invoiceNumber(1)));
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "insert into 票据 (入库单编号, 票据编号) values (?, ?)", -1, &insert, nullptr);
    const QByteArray book = BigBook.toUtf8();
    for (int n = 1; n <= BigBookBills; ++n) {
        const QByteArray number = invoiceNumber(n).toUtf8();
        sqlite3_bind_text(insert, 1, book.constData(), int(book.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            out << "insert failed: " << sqlite3_errmsg(db) << "\n";
            std::exit(1);
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    for (int k = 0; k < runs + 1; ++k)
        bench::execRaw(db, QStringLiteral("insert into 票据入库单 (入库单编号, 票据类型编号, 份数, 起始编号, 终止编号, 入库时间, 状态, 税控) "
                                          "values ('21-%1', '21', 50, '1', '1', '%1-01-04', '在库', 1)")
                               .arg(FirstEmptyYear + k));
    bench::execRaw(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
    return copy;
}

// Drives the window as an operator does; returns the time "确定" took.
class Operator
{
public:
    explicit Operator(frm票据入库 *window)
        : m_window(window),
          m_tree(window->findChild<KeyedTree *>(QStringLiteral("TreeView1"))),
          m_number(window->findChild<QLineEdit *>(QStringLiteral("Text3"))),
          m_new(window->findChild<QPushButton *>(QStringLiteral("Command1"))),
          m_confirm(window->findChild<QPushButton *>(QStringLiteral("Command2")))
    {
        for (int node = 1; m_tree && node <= 2; ++node)
            m_nodes.insert(m_tree->text(node).section(QLatin1Char(' '), 0, 0), node);
    }

    double registerBill(const QString &type, const QString &number, int year)
    {
        setClockForTests(QDateTime(QDate(year, 3, 1), QTime(10, 0)));
        const int node = m_nodes.value(type);
        m_tree->setSelectedIndex(node);
        m_window->TreeView1_NodeClick(node);
        if (m_new->text() == QStringLiteral("新增"))
            m_new->click();
        m_number->setText(number);
        MessageBoxes::clearRecords();
        const auto start = std::chrono::steady_clock::now();
        m_confirm->click();
        const double ms = bench::msSince(start);
        const QList<MessageBoxes::Record> said = MessageBoxes::records();
        if (said.isEmpty() || said.last().text != QStringLiteral("录入完成！")) {
            out << "registration of " << number << " (" << type << ", " << year << ") said: "
                << (said.isEmpty() ? QStringLiteral("nothing") : said.last().text) << "\n";
            std::exit(1);
        }
        return ms;
    }

private:
    frm票据入库 *m_window;
    KeyedTree *m_tree;
    QLineEdit *m_number;
    QPushButton *m_new, *m_confirm;
    QHash<QString, int> m_nodes;
};

double bareInsert(sqlite3 *db, const QString &book, const QString &number)
{
    const auto start = std::chrono::steady_clock::now();
    bench::execRaw(db, QStringLiteral("insert into 票据 (入库单编号, 票据编号) values ('%1', '%2')").arg(book, number));
    return bench::msSince(start);
}

// The statements of one registration into an existing book, each timed, in the
// window's order (registerInTransaction).
struct Steps
{
    std::vector<double> lock, book, duplicate, bills, insert, commit, readAll;
};

void timeStatements(db::Connection &connection, const QString &number, Steps &steps)
{
    auto timed = [](std::vector<double> &into, auto &&step) {
        const auto start = std::chrono::steady_clock::now();
        step();
        into.push_back(bench::msSince(start));
    };
    std::optional<db::Transaction> registration;
    timed(steps.lock, [&] { registration.emplace(connection, QStringLiteral("票据入库:") + BigBook); });
    timed(steps.book, [&] {
        db::EditableRecordset book = connection.openEditable(bookByNumberSql(BigBook));
        if (book.eof())
            std::exit(1);
    });
    timed(steps.duplicate, [&] { connection.open(billInBookSql(BigBook, number)); });
    db::EditableRecordset bills;
    timed(steps.bills, [&] { bills = connection.openEditable(billsOfBookSql(BigBook)); });
    timed(steps.insert, [&] {
        bills.addNew();
        bills.setValue(QStringLiteral("入库单编号"), BigBook);
        bills.setValue(QStringLiteral("票据编号"), number);
        bills.update();
    });
    timed(steps.commit, [&] { registration->commit(); });
}

// What asking that recordset for its rows would cost: every bill of the book.
void timeReadingTheBook(db::Connection &connection, Steps &steps)
{
    db::EditableRecordset bills = connection.openEditable(billsOfBookSql(BigBook));
    const auto start = std::chrono::steady_clock::now();
    if (bills.recordCount() < BigBookBills)
        std::exit(1);
    steps.readAll.push_back(bench::msSince(start));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = bench::runsArgument(args, 9);
    const bool onlyBig = args.contains(QStringLiteral("--only")) && args.contains(QStringLiteral("big"));

    const QString copy = prepareCopy(runs);
    setDbConnection(db::Connection::openSqlite(copy));
    MessageBoxes::startScripting();
    setClockForTests(QDateTime(QDate(2027, 3, 1), QTime(10, 0)));
    auto *window = new frm票据入库;
    window->show();
    QApplication::processEvents();
    Operator clerk(window);
    sqlite3 *raw = bench::openRaw(copy);

    // One of each first, to warm the pages the statements touch.
    clerk.registerBill(QStringLiteral("21"), invoiceNumber(BigBookBills + 1), 2027);
    clerk.registerBill(QStringLiteral("21"), QStringLiteral("1"), FirstEmptyYear + runs);
    bareInsert(raw, BigBook, invoiceNumber(500001));

    std::vector<double> big, empty, created, floor;
    for (int k = 0; k < runs; ++k) {
        big.push_back(clerk.registerBill(QStringLiteral("21"), invoiceNumber(BigBookBills + 2 + k), 2027));
        if (onlyBig)
            continue;
        empty.push_back(clerk.registerBill(QStringLiteral("21"), QStringLiteral("2101%1").arg(k, 4, 10, QLatin1Char('0')), FirstEmptyYear + k));
        created.push_back(clerk.registerBill(QStringLiteral("22"), QStringLiteral("2201%1").arg(k, 4, 10, QLatin1Char('0')), FirstEmptyYear + k));
        floor.push_back(bareInsert(raw, BigBook, invoiceNumber(500002 + k)));
    }
    if (onlyBig) {
        out << "100 001st bill only: median " << bench::msText(bench::median(big)) << "\n";
        return 0;
    }
    const double b = bench::median(big), e = bench::median(empty), c = bench::median(created), f = bench::median(floor);
    out << "registering one bill through the stock-in window, medians of " << runs << " runs:\n"
        << "  100 001st bill of yearly book " << BigBook << ":       " << bench::msText(b) << "\n"
        << "  first bill of an existing empty yearly book: " << bench::msText(e) << "\n"
        << "  first bill of a year (creates the book):     " << bench::msText(c) << "\n"
        << "  floor, one bare sqlite3 INSERT (autocommit): " << bench::msText(f) << "\n"
        << "  ratio 100 001st / first (empty book) " << QString::number(e > 0 ? b / e : 0, 'f', 2)
        << " (target <= 1.5): " << (e > 0 && b / e <= 1.5 ? "met" : "MISSED") << "\n"
        << "  ratio 100 001st / first (new book)   " << QString::number(c > 0 ? b / c : 0, 'f', 2) << "\n"
        << "  ratios to the floor: 100 001st " << QString::number(f > 0 ? b / f : 0, 'f', 1) << ", empty book "
        << QString::number(f > 0 ? e / f : 0, 'f', 1) << ", new book " << QString::number(f > 0 ? c / f : 0, 'f', 1) << "\n";
    out.flush();

    // Where the time of the big book goes: the window's statements one by one.
    Steps steps;
    for (int k = 0; k < runs; ++k)
        timeStatements(DbConnection(), invoiceNumber(BigBookBills + 1000 + k), steps);
    for (int k = 0; k < 3; ++k)
        timeReadingTheBook(DbConnection(), steps);
    out << "the registration's statements for " << BigBook << " through db::Connection, medians:\n"
        << "  BEGIN IMMEDIATE (db::Transaction):                       " << bench::msText(bench::median(steps.lock)) << "\n"
        << "  openEditable(SELECT * From 票据入库单 where 入库单编号=…), eof: " << bench::msText(bench::median(steps.book)) << "\n"
        << "  open(SELECT ID From 票据 Where 入库单编号=… And 票据编号=…):   " << bench::msText(bench::median(steps.duplicate)) << "\n"
        << "  openEditable(SELECT * From 票据 Where 入库单编号=…):        " << bench::msText(bench::median(steps.bills))
        << " (columns only: its rows are read when first asked for)\n"
        << "  addNew + update (INSERT, ID read back):                 " << bench::msText(bench::median(steps.insert)) << "\n"
        << "  COMMIT:                                                 " << bench::msText(bench::median(steps.commit)) << "\n"
        << "  for reference, asking that recordset for its " << BigBookBills << "+ rows: " << bench::msText(bench::median(steps.readAll)) << "\n";

    sqlite3_close(raw);
    delete window;
    resetAppState();
    return 0;
}
