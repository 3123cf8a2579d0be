// The spreadsheet export window driven through its controls, and the workbooks it
// writes read back by openpyxl: the heading lines, header rows, values with their
// types and number formats, merges, frames, font sizes, alignments and widths; an
// existing workbook whose sheet is replaced in its place or gets a new sheet, with
// everything else kept; files refused; failures and a cancel that leave every file
// as it was.
#include "WindowDriver.h"
#include "output/frmToExcel.h"
#include "platform/Decimal.h"
#include "platform/Clock.h"
#include "platform/db/ResultTable.h"
#include "platform/sheet/Workbook.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/PictureButton.h"
#include "shell/Program.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The report's grid (its format string and hidden last column).
const QString ReportFormat = u"^序 |<票据簿编号|<票据号码  |<付款人                    |<收费项目          |<摘    要                "
                             u"|>金额     |<开票日期  |<开票人|<收款日期  |<收款人|"_s;
const QString SheetName = u"作废统计报表"_s;
const QString Title = u"(中心管理处) 作废统计报表"_s;
const QString Tag = u"日期范围:2026年03月01日至2026年03月15日"_s;

std::unique_ptr<FlexGrid> gridOf(const QString &format, const QList<QStringList> &rows, int fixedRows = 1)
{
    auto grid = std::make_unique<FlexGrid>();
    grid->setFormatString(format);
    grid->setRows(int(rows.size()) + 1);
    grid->setFixedRows(fixedRows);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid->setTextMatrix(r + 1, c, rows[r][c]);
    return grid;
}

std::unique_ptr<FlexGrid> reportGrid()
{
    auto grid = gridOf(ReportFormat,
                       {{u"1"_s, u"2026-001"_s, u"0001234"_s, u"张三"_s, u"物业费"_s, u"[三月]"_s, u"120.50"_s,
                         u"2026-03-01"_s, u"李会计"_s, u"2026-03-02"_s, u"王出纳"_s, u"x"_s},
                        {u"2"_s, u"2026-001"_s, u"0001235"_s, {}, u"停车费"_s, {}, u"80.00"_s, u"2026-03-03"_s,
                         u"李会计"_s, {}, {}, {}},
                        {u"3"_s, u"2026-002"_s, u"0100001"_s, u"某某公司"_s, u"水费"_s, u"[第一季度]"_s, u"1,234.50"_s,
                         u"2026-03-04"_s, u"李会计"_s, u"2026-03-05"_s, u"王出纳"_s, {}},
                        {{}, u"合计"_s, {}, {}, {}, {}, u"1435.00"_s, {}, {}, {}, {}, {}}});
    grid->setColWidth(11, 0);
    return grid;
}

QString scripts()
{
    return QStringLiteral(EXCEL_TEST_SCRIPTS);
}

// Runs Debian's interpreter, which has openpyxl; the output, or empty text with the
// reason in `error`.
QByteArray python(const QStringList &arguments, QString *error)
{
    QProcess process;
    process.start(u"/usr/bin/python3"_s, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        return {};
    }
    return process.readAllStandardOutput();
}

// A workbook as openpyxl reads it (see ExcelRead.py).
struct Book
{
    QJsonObject json;
    QString error;

    static Book read(const QString &file, bool summary = false)
    {
        Book book;
        QStringList arguments = {scripts() + u"/ExcelRead.py"_s, file};
        if (summary)
            arguments << u"--summary"_s;
        const QByteArray out = python(arguments, &book.error);
        book.json = QJsonDocument::fromJson(out).object();
        if (book.json.isEmpty() && book.error.isEmpty())
            book.error = u"no output"_s;
        return book;
    }
    QStringList sheets() const
    {
        QStringList names;
        for (const QJsonValue &v : json[u"sheets"].toArray())
            names << v.toString();
        return names;
    }
    QJsonObject sheet(const QString &name) const { return json[u"sheet"][name].toObject(); }
    QJsonObject cell(const QString &name, const QString &address) const
    {
        return sheet(name)[u"cells"][address].toObject();
    }
    QVariant value(const QString &name, const QString &address) const
    {
        return cell(name, address)[u"value"].toVariant();
    }
    QStringList merges(const QString &name) const
    {
        QStringList ranges;
        for (const QJsonValue &v : sheet(name)[u"merges"].toArray())
            ranges << v.toString();
        return ranges;
    }
    double width(const QString &name, const QString &column) const
    {
        return sheet(name)[u"widths"][column].toDouble(-1);
    }
    QString part(const QString &name) const { return json[u"parts"][name].toString(); }
    // What is inconsistent in the package (see ExcelRead.py); empty when it is sound.
    QString problems() const
    {
        QStringList all;
        for (const QJsonValue &v : json[u"package_problems"].toArray())
            all << v.toString();
        return all.join(u"; "_s);
    }
    QString formula(const QString &name, const QString &address) const
    {
        return sheet(name)[u"formulas"][address].toString();
    }
};

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The width a column of `twips` gets, as the spreadsheet stores it: in whole pixels of
// its default font (7 to a character), with 5 pixels of padding.
bool widthFits(double stored, int twips)
{
    return stored >= twips / 100.0 - 1 / 14.0 && stored <= twips / 100.0 + 5 / 7.0 + 1 / 14.0;
}

QStringList border(const QJsonObject &cell)
{
    QStringList sides;
    for (const QJsonValue &v : cell[u"border"].toArray())
        sides << v.toString();
    return sides;
}

const QStringList Framed = {u"thin"_s, u"thin"_s, u"thin"_s, u"thin"_s};

// The cells from A4 to the last one given that lack a frame on some side; the
// table's frame has no gaps when there are none.
QStringList unframedCells(const QJsonObject &sheet, int lastRow, int lastColumn)
{
    QStringList gaps;
    for (int row = 4; row <= lastRow; ++row)
        for (int col = 0; col < lastColumn; ++col) {
            const QString address = frmToExcel::RangeNom(col, row);
            if (border(sheet[u"cells"][address].toObject()) != Framed)
                gaps << address;
        }
    return gaps;
}

} // namespace

class TestToExcel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<FlexGrid> grid;
    QPointer<frmToExcel> window;
    QStringList opened;

    QString path(const QString &name) const { return folder->filePath(name); }

    // The window as the report opens it, with the file name typed in and the
    // spreadsheet program not started.
    frmToExcel *openWindow(FlexGrid *source, const QString &file, const QString &sheetName = SheetName)
    {
        delete window;
        window = new frmToExcel;
        window->setTag(Tag);
        window->Config(source, sheetName, Title);
        window->Check1->setValue(0);
        window->Text1[0]->setText(file);
        return window;
    }

    bool exportTo(const QString &file, const QString &sheetName = SheetName)
    {
        openWindow(grid.get(), file, sheetName);
        const bool saved = window->To_Execl(grid.get(), Title, sheetName);
        if (!saved)
            qWarning() << "export failed:" << window->lastError();
        delete window;
        return saved;
    }

    // `variant`: empty, or one of ExcelFixture.py's options ("--prefixed", "--tables", "--strict").
    QString makeExistingWorkbook(const QString &name = u"台账.xlsx"_s, const QString &variant = {})
    {
        QString error;
        QStringList arguments = {scripts() + u"/ExcelFixture.py"_s, path(name)};
        if (!variant.isEmpty())
            arguments << variant;
        python(arguments, &error);
        if (!error.isEmpty())
            qWarning() << error;
        return path(name);
    }

    static QStringList texts()
    {
        QStringList all;
        for (const MessageBoxes::Record &r : MessageBoxes::records())
            all << r.text;
        return all;
    }

    // Cancels the export's progress dialog as soon as it shows; `seen` tells whether
    // one showed.
    void cancelProgressWhenShown(QTimer &timer, bool *seen, bool cancel = true)
    {
        timer.setInterval(0);
        connect(&timer, &QTimer::timeout, this, [this, seen, cancel] {
            if (auto *dialog = window ? window->findChild<QProgressDialog *>(u"ExportProgress"_s) : nullptr) {
                *seen = true;
                if (cancel)
                    dialog->cancel();
            }
        });
        timer.start();
    }

private slots:
    void initTestCase()
    {
        qputenv("TESSALINE_NO_DESKTOP", "1");
        frmToExcel::setOpenerForTests([this](const QString &file) { opened << file; });
        QString error;
        python({u"-c"_s, u"import openpyxl"_s}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(u"openpyxl is needed: "_s + error));
    }

    void init()
    {
        MessageBoxes::startScripting();
        FileDialogs::startScripting();
        setClockForTests(QDateTime(QDate(2026, 3, 15), QTime(10, 30)));
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        grid = reportGrid();
        opened.clear();
    }

    void cleanup()
    {
        if (window)
            delete window;
        sheet::Workbook::failAfterCellsForTests(-1);
        setClockForTests(QDateTime());
        FileDialogs::stopScripting();
        MessageBoxes::stopScripting();
    }

    void rangeNom_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("address");
        QTest::newRow("first") << 0 << 4 << u"A4"_s;
        QTest::newRow("Z") << 25 << 4 << u"Z4"_s;
        QTest::newRow("AA") << 26 << 4 << u"AA4"_s;
        QTest::newRow("BA") << 52 << 5 << u"BA5"_s;
        QTest::newRow("EZ") << 155 << 9 << u"EZ9"_s;
        QTest::newRow("FA") << 156 << 9 << u"FA9"_s;
        QTest::newRow("ZZ") << 701 << 1 << u"ZZ1"_s;
        QTest::newRow("AAA") << 702 << 1 << u"AAA1"_s;
        QTest::newRow("XFD") << 16383 << 1048576 << u"XFD1048576"_s;
        QTest::newRow("past the last column") << 16384 << 1 << QString();
        QTest::newRow("negative") << -1 << 1 << QString();
    }

    void rangeNom()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, address);
        QCOMPARE(frmToExcel::RangeNom(column, row), address);
    }

    void windowAndColumnChooser()
    {
        openWindow(grid.get(), QString());
        QVERIFY(window->isWindow());
        QVERIFY(window->windowTitle().isEmpty());
        QCOMPARE(window->windowModality(), Qt::NonModal);
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(window->findChild<CheckBox *>(u"Check1"_s)->text(), u"输出时启动Microsoft Excel程序"_s);
        QCOMPARE(window->findChild<PictureButton *>(u"Command2"_s)->text(), u"确定"_s);
        QCOMPARE(window->findChild<PictureButton *>(u"Command3"_s)->text(), u"退出"_s);
        QCOMPARE(window->findChild<QLineEdit *>(u"Text1(1)"_s)->text(), Title);
        QCOMPARE(window->findChild<QLineEdit *>(u"Text1(2)"_s)->text(), SheetName);
        QCOMPARE(frmToExcel().Check1->value(), 1); // ticked when the window opens

        FlexGrid *chooser = window->Grid1;
        QCOMPARE(chooser->Rows(), 2);
        QCOMPARE(chooser->FixedRows(), 1);
        QCOMPARE(chooser->Cols(), 12);
        for (int k = 0; k < 11; ++k) {
            QCOMPARE(chooser->TextMatrix(0, k), grid->TextMatrix(0, k));
            QCOMPARE(chooser->TextMatrix(1, k), u"√"_s);
            QCOMPARE(chooser->FixedAlignment(k), grid->FixedAlignment(k));
            QVERIFY(chooser->ColWidth(k) > 90);
        }
        // The unnamed last column is hidden and not chosen.
        QCOMPARE(chooser->ColWidth(11), 0);
        QCOMPARE(chooser->TextMatrix(1, 11), QString());
        window->Grid1->setCol(11);
        window->Grid1_Click();
        QCOMPARE(chooser->TextMatrix(1, 11), QString());

        // Two header rows: the names join both texts where they differ.
        auto twoRows = gridOf(u"^序|>金额|>金额|<备注"_s, {{u"序"_s, u"现金"_s, u"转账 "_s, {}}}, 2);
        window->Config(twoRows.get(), SheetName, Title);
        QCOMPARE(chooser->Cols(), 4);
        QCOMPARE(chooser->TextMatrix(0, 0), u"序"_s);
        QCOMPARE(chooser->TextMatrix(0, 1), u"金额(现金)"_s);
        QCOMPARE(chooser->TextMatrix(0, 2), u"金额(转账 )"_s);
        QCOMPARE(chooser->TextMatrix(0, 3), u"备注()"_s);
    }

    void clickChoosesDoubleClickUnchooses()
    {
        QVERIFY(WindowDriver::show(openWindow(grid.get(), QString())));
        FlexGrid *chooser = window->Grid1;
        const auto cellCentre = [chooser](int col) {
            int x = 0;
            for (int c = 0; c < col; ++c)
                x += chooser->colWidthPixels(c);
            return QPoint(x + chooser->colWidthPixels(col) / 2, chooser->rowHeightPixels(1) / 2);
        };
        QTest::mouseDClick(chooser->viewport(), Qt::LeftButton, {}, cellCentre(1));
        QCOMPARE(chooser->TextMatrix(1, 1), QString());
        QTest::mouseClick(chooser->viewport(), Qt::LeftButton, {}, cellCentre(1));
        QCOMPARE(chooser->TextMatrix(1, 1), u"√"_s);
        QCOMPARE(chooser->ColAlignment(1), 4);
    }

    void newWorkbookHoldsHeadingGridAndFormats()
    {
        // A name without extension gets ".xlsx".
        QVERIFY(exportTo(path(u"作废统计"_s)));
        const QString file = path(u"作废统计.xlsx"_s);
        QCOMPARE(folderEntries(folder->path()), QStringList{u"作废统计.xlsx"_s});
        const Book book = Book::read(file);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QVERIFY(book.json[u"xml_ok"].toBool());
        QCOMPARE(book.sheets(), QStringList{SheetName});
        const QJsonObject sheet = book.sheet(SheetName);
        QCOMPARE(sheet[u"max_row"].toInt(), 8);
        QCOMPARE(sheet[u"max_column"].toInt(), 11); // the hidden column is not exported
        QCOMPARE(book.merges(SheetName), (QStringList{u"A1:K1"_s, u"A2:K2"_s, u"A3:K3"_s}));

        // The heading lines.
        const struct
        {
            const char *address;
            QString value;
            double size;
            const char *horizontal;
        } heading[] = {{"A1", Title, 18, "center"}, {"A2", Tag, 12, "center"}, {"A3", u"打印日期：2026年03月15日"_s, 10, "right"}};
        for (const auto &h : heading) {
            const QJsonObject cell = book.cell(SheetName, QString::fromLatin1(h.address));
            QCOMPARE(cell[u"value"].toString(), h.value);
            QCOMPARE(cell[u"size"].toDouble(), h.size);
            QCOMPARE(cell[u"horizontal"].toString(), QString::fromLatin1(h.horizontal));
            QCOMPARE(cell[u"vertical"].toString(), u"center"_s);
            QCOMPARE(border(cell), (QStringList{{}, {}, {}, {}}));
        }

        // The header row: centred, framed, 10.5 points, the amount column's number format.
        for (int k = 0; k < 11; ++k) {
            const QJsonObject cell = book.cell(SheetName, frmToExcel::RangeNom(k, 4));
            QCOMPARE(cell[u"value"].toString(), grid->TextMatrix(0, k));
            QCOMPARE(cell[u"type"].toString(), u"s"_s);
            QCOMPARE(cell[u"format"].toString(), k == 6 ? u"0.00_ "_s : u"@"_s);
            QCOMPARE(cell[u"horizontal"].toString(), u"center"_s);
            QCOMPARE(cell[u"vertical"].toString(), u"center"_s);
            QCOMPARE(cell[u"size"].toDouble(), 10.5);
            QCOMPARE(border(cell), Framed);
            QVERIFY2(widthFits(book.width(SheetName, frmToExcel::RangeNom(k, 0).chopped(1)), grid->ColWidth(k)),
                     qPrintable(u"column %1"_s.arg(k)));
        }

        // The rows: text keeps leading zeros, amounts are numbers; empty cells framed.
        QCOMPARE(book.value(SheetName, u"A5"_s).toString(), u"1"_s);
        QCOMPARE(book.cell(SheetName, u"A5"_s)[u"type"].toString(), u"s"_s);
        QCOMPARE(book.value(SheetName, u"C5"_s).toString(), u"0001234"_s);
        QCOMPARE(book.cell(SheetName, u"C5"_s)[u"format"].toString(), u"@"_s);
        QCOMPARE(book.value(SheetName, u"H5"_s).toString(), u"2026-03-01"_s);
        for (const auto &[address, amount] : {std::pair{u"G5"_s, 120.5}, {u"G6"_s, 80.0}, {u"G7"_s, 1234.5}, {u"G8"_s, 1435.0}}) {
            const QJsonObject cell = book.cell(SheetName, address);
            QCOMPARE(cell[u"type"].toString(), u"n"_s);
            QCOMPARE(cell[u"value"].toDouble(), amount);
            QCOMPARE(cell[u"format"].toString(), u"0.00_ "_s);
        }
        const QJsonObject empty = book.cell(SheetName, u"D6"_s);
        QVERIFY(empty[u"value"].isNull());
        QCOMPARE(border(empty), Framed);
        QCOMPARE(empty[u"size"].toDouble(), 10.5);
        QVERIFY(book.cell(SheetName, u"B8"_s)[u"horizontal"].isNull()); // only rows 1 to 4 are aligned
        QCOMPARE(unframedCells(book.sheet(SheetName), 8, 11), QStringList()); // the 合计 row's blanks too
        QCOMPARE(book.value(SheetName, u"B8"_s).toString(), u"合计"_s);
    }

    void amountColumnTakesWhatReadsAsANumber()
    {
        const QStringList texts = {u"1,234.50"_s, u"-7"_s, u"(3)"_s, u"12%"_s, u"1e3"_s, u"007"_s, u" 5 "_s,
                                   u"12,34"_s, u"1,2345"_s, u"abc"_s, u"1.2.3"_s, u"--1"_s, u"."_s, u"1e999"_s};
        const QList<QVariant> expected = {1234.5, -7.0, -3.0, 0.12, 1000.0, 7.0, 5.0,
                                          u"12,34"_s, u"1,2345"_s, u"abc"_s, u"1.2.3"_s, u"--1"_s, u"."_s, u"1e999"_s};
        QList<QStringList> rows;
        for (const QString &t : texts)
            rows << QStringList{t, t};
        grid = gridOf(u">金额|<号码"_s, rows); // and the left-aligned column keeps them all as text
        QVERIFY(exportTo(path(u"数.xlsx"_s)));
        const Book book = Book::read(path(u"数.xlsx"_s));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        for (int i = 0; i < texts.size(); ++i) {
            const QJsonObject amount = book.cell(SheetName, u"A%1"_s.arg(i + 5));
            if (expected[i].typeId() == QMetaType::Double) {
                QCOMPARE(amount[u"type"].toString(), u"n"_s);
                QCOMPARE(amount[u"value"].toDouble(), expected[i].toDouble());
            } else {
                QCOMPARE(amount[u"type"].toString(), u"s"_s);
                QCOMPARE(amount[u"value"].toString(), expected[i].toString());
            }
            QCOMPARE(book.value(SheetName, u"B%1"_s.arg(i + 5)).toString(), texts[i]);
        }
    }

    // A cell that keeps the number it shows is written from that number, whatever its
    // text says; written again as text, it is read from its text.
    // Cells that show a table's text go out from the table's bytes: they must read as
    // the grid shows them, bytes that are not UTF-8 included, and a NUL is refused.
    void textsOfATableReadAsTheGridShowsThem()
    {
        const auto show = [this](const std::vector<std::string> &texts) {
            db::ResultTableBuilder builder;
            builder.setColumns({u"名称"_s}, {int(db::ResultTable::Kind::Text)});
            for (const std::string &text : texts) {
                builder.addText(0, text);
                builder.endRow();
            }
            builder.addNull(0);
            builder.endRow();
            const auto table = std::make_shared<const db::ResultTable>(builder.take());
            grid = gridOf(u"<名称|<号码"_s, QList<QStringList>(table->rowCount()));
            grid->setTableRows(1, table, {FlexGridTableColumn::textOf(0, 0), FlexGridTableColumn::textOf(1, 0)});
        };
        show({"甲", std::string("张\0三", 7)});
        openWindow(grid.get(), path(u"表.xlsx"_s));
        QVERIFY(!window->To_Execl(grid.get(), Title, SheetName));
        QVERIFY2(window->lastError().contains(u"第6行第1列的文字含有空字符（NUL）"_s), qPrintable(window->lastError()));

        show({"票据簿𠮷", "\xff\xfe甲\xed\xa0\x80", "乙丙", "乙丙", "改写前"});
        grid->setTextMatrix(5, 1, u"改写"_s);
        QVERIFY(exportTo(path(u"表.xlsx"_s)));
        const Book book = Book::read(path(u"表.xlsx"_s));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        for (int r = 1; r < grid->Rows(); ++r)
            for (int c = 0; c < 2; ++c) {
                const QString address = QChar(u'A' + c) + QString::number(r + 4);
                QCOMPARE(book.value(SheetName, address).toString(), grid->TextMatrix(r, c));
            }
        QVERIFY(grid->TextMatrix(2, 0).contains(QChar::ReplacementCharacter));
        QCOMPARE(book.value(SheetName, u"B9"_s).toString(), u"改写"_s);
        QVERIFY(book.cell(SheetName, u"A10"_s)[u"value"].isNull());
    }

    void amountCellsThatKeepANumberAreWrittenFromIt()
    {
        grid = gridOf(u">金额|<号码"_s, {{u"0"_s, u"a"_s}, {u"0"_s, u"b"_s}, {u"0"_s, u"c"_s}});
        grid->setCellNumber(1, 0, Decimal::fromText(u"12.5"_s), u"十二元五角"_s);
        grid->setCellNumber(2, 0, Decimal::fromText(u"-0.01"_s), u"-0.01"_s);
        grid->setCellNumber(3, 0, Decimal::fromText(u"7"_s), u"7.00"_s);
        grid->setTextMatrix(3, 0, u"abc"_s);
        QCOMPARE(grid->TextMatrix(1, 0), u"十二元五角"_s);
        QVERIFY(exportTo(path(u"数2.xlsx"_s)));
        const Book book = Book::read(path(u"数2.xlsx"_s));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.cell(SheetName, u"A5"_s)[u"type"].toString(), u"n"_s);
        QCOMPARE(book.cell(SheetName, u"A5"_s)[u"value"].toDouble(), 12.5);
        QCOMPARE(book.cell(SheetName, u"A6"_s)[u"value"].toDouble(), -0.01);
        QCOMPARE(book.cell(SheetName, u"A7"_s)[u"type"].toString(), u"s"_s);
        QCOMPARE(book.cell(SheetName, u"A7"_s)[u"value"].toString(), u"abc"_s);
    }

    void unchosenColumnsAreLeftOut()
    {
        QVERIFY(WindowDriver::show(openWindow(grid.get(), path(u"少.xlsx"_s))));
        for (int k : {0, 3, 5})
            WindowDriver::doubleClickEntry(window->Grid1, window->Grid1->model()->index(1, k));
        QVERIFY(window->To_Execl(grid.get(), Title, SheetName));
        const Book book = Book::read(path(u"少.xlsx"_s));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.sheet(SheetName)[u"max_column"].toInt(), 8);
        QCOMPARE(book.merges(SheetName), (QStringList{u"A1:H1"_s, u"A2:H2"_s, u"A3:H3"_s}));
        const QList<int> kept = {1, 2, 4, 6, 7, 8, 9, 10};
        for (int k = 0; k < kept.size(); ++k) {
            QCOMPARE(book.value(SheetName, frmToExcel::RangeNom(k, 4)).toString(), grid->TextMatrix(0, kept[k]));
            QVERIFY(widthFits(book.width(SheetName, frmToExcel::RangeNom(k, 0).chopped(1)), grid->ColWidth(kept[k])));
        }
        QCOMPARE(book.cell(SheetName, u"D5"_s)[u"type"].toString(), u"n"_s); // 金额 moved to D
    }

    void twoHeaderRowsAreMerged()
    {
        grid = gridOf(u"^序|>金额|>金额|<备注|<票据|<票据"_s,
                      {{u"序"_s, u"现金"_s, u"转账"_s, {}, {}, {}},
                       {u"1"_s, u"10.00"_s, u"5.00"_s, u"无"_s, u"A01"_s, u"B01"_s}},
                      2);
        QVERIFY(exportTo(path(u"双表头.xlsx"_s)));
        const Book book = Book::read(path(u"双表头.xlsx"_s));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.merges(SheetName), (QStringList{u"A1:F1"_s, u"A2:F2"_s, u"A3:F3"_s, u"A4:A5"_s, u"B4:C4"_s, u"E4:F5"_s}));
        QCOMPARE(book.value(SheetName, u"A4"_s).toString(), u"序"_s);
        QVERIFY(book.value(SheetName, u"A5"_s).isNull());
        QCOMPARE(book.value(SheetName, u"B4"_s).toString(), u"金额"_s);
        QVERIFY(book.value(SheetName, u"C4"_s).isNull());
        QCOMPARE(book.value(SheetName, u"B5"_s).toString(), u"现金"_s);
        QCOMPARE(book.value(SheetName, u"C5"_s).toString(), u"转账"_s);
        QCOMPARE(book.value(SheetName, u"D4"_s).toString(), u"备注"_s);
        QCOMPARE(book.value(SheetName, u"E4"_s).toString(), u"票据"_s);
        QVERIFY(book.value(SheetName, u"F4"_s).isNull());
        // openpyxl gives a merged cell the merge's outer edges only.
        QCOMPARE(border(book.cell(SheetName, u"C4"_s)).mid(1), Framed.mid(1));
        QCOMPARE(book.cell(SheetName, u"B6"_s)[u"value"].toDouble(), 10.0);
        QCOMPARE(book.value(SheetName, u"F6"_s).toString(), u"B01"_s);
    }

    void existingSheetIsReplacedInItsPlace()
    {
        const QString file = makeExistingWorkbook();
        const Book before = Book::read(file);
        QVERIFY2(before.error.isEmpty(), qPrintable(before.error));
        QVERIFY(exportTo(file));
        QCOMPARE(folderEntries(folder->path()), QStringList{u"台账.xlsx"_s});
        const Book book = Book::read(file);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QVERIFY(book.json[u"xml_ok"].toBool());
        QCOMPARE(book.sheets(), (QStringList{u"封面"_s, SheetName, u"汇总"_s}));

        // The old cells, merge and comment are gone; view and far columns stay.
        const QJsonObject sheet = book.sheet(SheetName);
        QCOMPARE(sheet[u"max_row"].toInt(), 8);
        QCOMPARE(sheet[u"max_column"].toInt(), 11);
        QVERIFY(book.value(SheetName, u"O30"_s).isNull());
        QVERIFY(book.value(SheetName, u"L5"_s).isNull());
        QCOMPARE(book.merges(SheetName), (QStringList{u"A1:K1"_s, u"A2:K2"_s, u"A3:K3"_s}));
        QCOMPARE(sheet[u"comments"].toInt(), 0);
        QCOMPARE(sheet[u"freeze"].toString(), u"A5"_s);
        QCOMPARE(book.width(SheetName, u"N"_s), 25.0);
        QCOMPARE(book.value(SheetName, u"A1"_s).toString(), Title);
        QCOMPARE(book.cell(SheetName, u"A1"_s)[u"size"].toDouble(), 18.0);
        QCOMPARE(book.value(SheetName, u"C5"_s).toString(), u"0001234"_s);
        QCOMPARE(book.cell(SheetName, u"C5"_s)[u"format"].toString(), u"@"_s);
        QCOMPARE(book.cell(SheetName, u"G7"_s)[u"value"].toDouble(), 1234.5);
        QCOMPARE(book.cell(SheetName, u"G7"_s)[u"format"].toString(), u"0.00_ "_s);
        QCOMPARE(unframedCells(sheet, 8, 11), QStringList());

        // The other sheets, their styles and formulas, and the defined name.
        QCOMPARE(book.sheet(u"封面"_s)[u"cells"], before.sheet(u"封面"_s)[u"cells"]);
        QCOMPARE(book.sheet(u"汇总"_s)[u"cells"], before.sheet(u"汇总"_s)[u"cells"]);
        QCOMPARE(book.cell(u"封面"_s, u"A1"_s)[u"fill"].toString(), u"FFFFFF00"_s);
        QCOMPARE(book.cell(u"封面"_s, u"B2"_s)[u"format"].toString(), u"#,##0.00"_s);
        QCOMPARE(book.value(u"汇总"_s, u"B1"_s).toString(), u"=SUM('封面'!B2:B3)"_s);
        QCOMPARE(book.json[u"defined_names"], before.json[u"defined_names"]);
        // The comment goes with the old cells, and so do its parts and their content types.
        QVERIFY2(book.problems().isEmpty(), qPrintable(book.problems()));
        const QJsonObject parts = before.json[u"parts"].toObject();
        const QStringList changed = {u"xl/worksheets/sheet2.xml"_s, u"xl/styles.xml"_s, u"[Content_Types].xml"_s};
        const QStringList dropped = {u"xl/worksheets/_rels/sheet2.xml.rels"_s, u"xl/comments/comment1.xml"_s,
                                     u"xl/drawings/commentsDrawing1.vml"_s};
        for (auto part = parts.begin(); part != parts.end(); ++part) {
            if (dropped.contains(part.key()))
                QVERIFY2(book.part(part.key()).isEmpty(), qPrintable(part.key()));
            else if (!changed.contains(part.key()))
                QVERIFY2(book.part(part.key()) == part.value().toString(), qPrintable(part.key()));
        }

        // Exporting again finds its formats in the styles instead of adding them.
        const int formats = book.json[u"xf_count"].toInt();
        QVERIFY(exportTo(file));
        QCOMPARE(Book::read(file, true).json[u"xf_count"].toInt(), formats);
    }

    void exportingAgainIntoItsOwnWorkbookAddsNoFormats()
    {
        const QString file = path(u"报表.xlsx"_s);
        QVERIFY(exportTo(file));
        const Book first = Book::read(file, true);
        QVERIFY(exportTo(file));
        const Book second = Book::read(file, true);
        QVERIFY2(second.error.isEmpty(), qPrintable(second.error));
        QCOMPARE(second.json[u"font_count"].toInt(), first.json[u"font_count"].toInt());
        QCOMPARE(second.json[u"xf_count"].toInt(), first.json[u"xf_count"].toInt());
    }

    void replacedSheetTakesItsTablesAndPivotTableAlong()
    {
        const QString file = makeExistingWorkbook(u"表格.xlsx"_s, u"--tables"_s);
        const Book before = Book::read(file);
        QVERIFY2(before.error.isEmpty(), qPrintable(before.error));
        QVERIFY(exportTo(file));
        const Book book = Book::read(file);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QVERIFY(book.json[u"xml_ok"].toBool());
        QVERIFY2(book.problems().isEmpty(), qPrintable(book.problems()));

        // What named the dropped tables now names nothing, as when the spreadsheet
        // program deletes a table; other formulas and the kept table stay.
        const QString total = u"汇总"_s;
        QCOMPARE(book.formula(total, u"B3"_s), u"=SUM(#REF!)"_s);
        QCOMPARE(book.formula(total, u"B4"_s), u"=SUM(#REF!)+1"_s);
        QCOMPARE(book.formula(total, u"B5"_s), u"=ROWS(#REF!)"_s);
        QCOMPARE(book.formula(total, u"B8"_s), u"=#REF!"_s);
        for (const QString &kept : {u"B1"_s, u"B2"_s, u"B6"_s, u"B7"_s})
            QCOMPARE(book.formula(total, kept), before.formula(total, kept));
        QCOMPARE(book.json[u"defined_names"][u"支出合计"].toString(), u"SUM(#REF!)"_s);
        QCOMPARE(book.json[u"defined_names"][u"合计区"], before.json[u"defined_names"][u"合计区"]);

        // The tables, comment, pivot table and its cache of the old sheet are gone.
        for (const QString &part : {u"xl/tables/table2.xml"_s, u"xl/tables/table3.xml"_s, u"xl/comments/comment1.xml"_s,
                                    u"xl/drawings/commentsDrawing1.vml"_s, u"xl/pivotTables/pivotTable1.xml"_s,
                                    u"xl/pivotCache/pivotCacheDefinition1.xml"_s,
                                    u"xl/pivotCache/pivotCacheRecords1.xml"_s, u"xl/worksheets/_rels/sheet2.xml.rels"_s})
            QVERIFY2(book.part(part).isEmpty(), qPrintable(part));
        QCOMPARE(book.part(u"xl/tables/table1.xml"_s), before.part(u"xl/tables/table1.xml"_s));
        QCOMPARE(book.value(SheetName, u"C5"_s).toString(), u"0001234"_s);
        QCOMPARE(book.sheet(u"封面"_s)[u"cells"], before.sheet(u"封面"_s)[u"cells"]);
    }

    void strictWorkbooksAreRefused()
    {
        const QString file = makeExistingWorkbook(u"严格.xlsx"_s, u"--strict"_s);
        const QByteArray original = contents(file);
        for (const QString &sheetName : {SheetName, u"新表"_s}) { // replacing, adding
            MessageBoxes::clearRecords();
            openWindow(grid.get(), file, sheetName);
            window->Command2->click();
            QCOMPARE(MessageBoxes::records().size(), 1);
            const QString shown = MessageBoxes::records().first().text;
            QVERIFY2(shown.startsWith(u"输出到Execl失败: "_s) && shown.contains(u"Strict"_s), qPrintable(shown));
            QCOMPARE(contents(file), original);
            QCOMPARE(folderEntries(folder->path()), QStringList{u"严格.xlsx"_s});
        }
    }

    void zip64OnlyWhereAPartNeedsIt()
    {
        // Neither a new workbook nor one written into carries Zip64 fields.
        QVERIFY(exportTo(path(u"新.xlsx"_s)));
        const QString existing = makeExistingWorkbook();
        QVERIFY(exportTo(existing));
        for (const QString &file : {path(u"新.xlsx"_s), existing}) {
            const Book book = Book::read(file, true);
            QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
            QCOMPARE(book.json[u"zip64_local"].toInt(), 0);
            QCOMPARE(book.json[u"zip64_central"].toInt(), 0);
        }
        // A sheet past the size that needs them gets them, and stays readable.
        sheet::Workbook::setZip64SheetSizeForTests(1000);
        QVERIFY(exportTo(path(u"大.xlsx"_s)));
        sheet::Workbook::setZip64SheetSizeForTests(-1);
        const Book big = Book::read(path(u"大.xlsx"_s));
        QVERIFY2(big.error.isEmpty(), qPrintable(big.error));
        QVERIFY(big.json[u"zip64_local"].toInt() > 0);
        QCOMPARE(big.value(SheetName, u"C5"_s).toString(), u"0001234"_s);
    }

    void newSheetIsAddedAfterTheLast()
    {
        const QString file = makeExistingWorkbook();
        const Book before = Book::read(file);
        QVERIFY(exportTo(file, u"Report"_s));
        // The name is found whatever its case.
        QVERIFY(exportTo(file, u"REPORT"_s));
        const Book book = Book::read(file);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QVERIFY(book.json[u"xml_ok"].toBool());
        QCOMPARE(book.sheets(), (QStringList{u"封面"_s, SheetName, u"汇总"_s, u"Report"_s}));
        QCOMPARE(book.value(u"Report"_s, u"A1"_s).toString(), Title);
        QCOMPARE(book.merges(u"Report"_s), (QStringList{u"A1:K1"_s, u"A2:K2"_s, u"A3:K3"_s}));
        QCOMPARE(book.cell(u"Report"_s, u"G5"_s)[u"value"].toDouble(), 120.5);
        for (const QString &name : {u"封面"_s, SheetName, u"汇总"_s})
            QCOMPARE(book.sheet(name)[u"cells"], before.sheet(name)[u"cells"]);
        QCOMPARE(book.json[u"defined_names"], before.json[u"defined_names"]);
        const QStringList changed = {u"xl/workbook.xml"_s, u"xl/_rels/workbook.xml.rels"_s, u"[Content_Types].xml"_s,
                                     u"xl/styles.xml"_s};
        const QJsonObject parts = before.json[u"parts"].toObject();
        for (auto part = parts.begin(); part != parts.end(); ++part)
            if (!changed.contains(part.key()))
                QVERIFY2(book.part(part.key()) == part.value().toString(), qPrintable(part.key()));
        QVERIFY(!book.part(u"xl/worksheets/sheet4.xml"_s).isEmpty());
    }

    void workbookWithPrefixedNames()
    {
        const QString file = makeExistingWorkbook(u"前缀.xlsx"_s, u"--prefixed"_s);
        const Book before = Book::read(file);
        QVERIFY2(before.error.isEmpty(), qPrintable(before.error));
        QVERIFY(exportTo(file));
        QVERIFY(exportTo(file, u"新表"_s));
        const Book book = Book::read(file);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QVERIFY(book.json[u"xml_ok"].toBool());
        QCOMPARE(book.sheets(), (QStringList{u"封面"_s, SheetName, u"汇总"_s, u"新表"_s}));
        for (const QString &name : {SheetName, u"新表"_s}) {
            QCOMPARE(book.merges(name), (QStringList{u"A1:K1"_s, u"A2:K2"_s, u"A3:K3"_s}));
            QCOMPARE(book.value(name, u"C5"_s).toString(), u"0001234"_s);
            QCOMPARE(book.cell(name, u"G7"_s)[u"value"].toDouble(), 1234.5);
            QCOMPARE(book.cell(name, u"G7"_s)[u"format"].toString(), u"0.00_ "_s);
            QCOMPARE(book.cell(name, u"A1"_s)[u"size"].toDouble(), 18.0);
            QCOMPARE(border(book.cell(name, u"K8"_s)), Framed);
        }
        QVERIFY(book.value(SheetName, u"O30"_s).isNull());
        QCOMPARE(book.sheet(u"封面"_s)[u"cells"], before.sheet(u"封面"_s)[u"cells"]);
        QCOMPARE(book.sheet(u"汇总"_s)[u"cells"], before.sheet(u"汇总"_s)[u"cells"]);
    }

    void filesThatAreNotWorkbooksAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary workbook") << u"旧报表.xls"_s
                                         << QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(504, '\0');
        QTest::newRow("text file") << u"说明.xlsx"_s << u"这不是工作簿\n"_s.toUtf8();
        // A zip package that is not a workbook: one part only.
        QTest::newRow("other zip") << u"文档.xlsx"_s
                                   << QByteArray::fromBase64("UEsDBBQAAAAAAAAAIQAAAAAAAAAAAAAAAAAFAAAAYS50eHRQSwECFAAUAAAAAAAAACEAAAA"
                                                             "AAAAAAAAAAAAABQAAAAAAAAAAAAAAAAAAAAAAYS50eHRQSwUGAAAAAAEAAQAzAAAAIwAAAAAA");
    }

    void filesThatAreNotWorkbooksAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        openWindow(grid.get(), path(name));
        window->Command2->click();
        QVERIFY(window); // stays open for another try
        QCOMPARE(MessageBoxes::records().size(), 1);
        const MessageBoxes::Record shown = MessageBoxes::records().first();
        QVERIFY2(shown.text.startsWith(u"输出到Execl失败: 文件“%1”不是Excel工作簿"_s.arg(name)), qPrintable(shown.text));
        QCOMPARE(shown.icon, MessageBoxes::Icon::Information);
        QCOMPARE(contents(path(name)), bytes);
        QCOMPARE(folderEntries(folder->path()), QStringList{name});
    }

    void unusableNamesAreRefused_data()
    {
        QTest::addColumn<QString>("file"); // in the folder
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("cell"); // the grid's first payer
        QTest::addColumn<QString>("message");
        const QString book = u"台账.xlsx"_s;
        QTest::newRow("control character in the sheet name")
            << book << u"作废\x01统计"_s << Title << u"张三"_s << u"工作表名称不能含有控制字符（U+0001）"_s;
        QTest::newRow("tab in the sheet name") << book << u"作废\t统计"_s << Title << u"张三"_s << u"工作表名称不能含有制表符"_s;
        QTest::newRow("NUL in the sheet name") << book << u"作废"_s + QChar(0) + u"统计"_s << Title << u"张三"_s
                                               << u"工作表名称不能含有空字符（NUL）"_s;
        QTest::newRow("NUL in the title") << book << SheetName << u"标题"_s + QChar(0) + u"后文"_s << u"张三"_s
                                          << u"文档标题不能含有空字符（NUL）"_s;
        QTest::newRow("NUL in the file name") << u"f_a"_s + QChar(0) + u"b.xlsx"_s << SheetName << Title << u"张三"_s
                                              << u"文件名不能含有空字符（NUL）"_s;
        QTest::newRow("file name too long") << QString(10000, u'长') + u".xlsx"_s << SheetName << Title << u"张三"_s
                                            << u"文件名太长"_s;
        QTest::newRow("read-only workbook") << u"只读"_s << SheetName << Title << u"张三"_s << u"是只读文件"_s;
        QTest::newRow("NUL in a cell") << book << SheetName << Title << u"张"_s + QChar(0) + u"三"_s
                                       << u"第5行第4列的文字含有空字符（NUL）"_s;
    }

    void unusableNamesAreRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheetName);
        QFETCH(QString, title);
        QFETCH(QString, cell);
        QFETCH(QString, message);
        grid->setTextMatrix(1, 3, cell);
        const QString existing = makeExistingWorkbook();
        const bool readOnly = file == u"只读"_s;
        if (readOnly) {
            file = u"台账.xlsx"_s;
            QVERIFY(QFile::setPermissions(existing, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        const QByteArray original = contents(existing);
        const QDateTime modified = QFileInfo(existing).lastModified();

        openWindow(grid.get(), path(file), sheetName);
        window->Text1[1]->setText(title);
        QCOMPARE(window->Text1[1]->text(), title); // pasted as it is
        QCOMPARE(window->Text1[2]->text(), sheetName);
        window->Command2->click();
        QVERIFY(window);
        QCOMPARE(MessageBoxes::records().size(), 1);
        const QString shown = MessageBoxes::records().first().text;
        QVERIFY2(shown.startsWith(u"输出到Execl失败: "_s) && shown.contains(message), qPrintable(shown));
        QCOMPARE(folderEntries(folder->path()), QStringList{u"台账.xlsx"_s});
        QCOMPARE(contents(existing), original);
        QCOMPARE(QFileInfo(existing).lastModified(), modified);
        if (readOnly)
            QCOMPARE(QFileInfo(existing).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
                     QFile::Permissions());
    }

    void failureOrCancelLeavesEveryFileAsItWas()
    {
        // A failure half-way through the cells, into a new file and into a workbook.
        sheet::Workbook::failAfterCellsForTests(40);
        openWindow(grid.get(), path(u"新.xlsx"_s));
        QVERIFY(!window->To_Execl(grid.get(), Title, SheetName));
        QVERIFY2(window->lastError().contains(u"磁盘已满"_s), qPrintable(window->lastError()));
        QVERIFY(folderEntries(folder->path()).isEmpty());

        const QString existing = makeExistingWorkbook();
        const QByteArray original = contents(existing);
        window->Text1[0]->setText(existing);
        QVERIFY(!window->To_Execl(grid.get(), Title, SheetName));
        QCOMPARE(contents(existing), original);
        QCOMPARE(folderEntries(folder->path()), QStringList{u"台账.xlsx"_s});
        sheet::Workbook::failAfterCellsForTests(-1);

        // A large grid shows the progress dialog; cancelling it writes nothing.
        QList<QStringList> rows;
        for (int r = 1; r <= frmToExcel::ProgressRows + 1000; ++r)
            rows << QStringList{QString::number(r), u"2026-%1"_s.arg(r / 100, 3, 10, QLatin1Char('0')),
                                u"%1"_s.arg(r, 7, 10, QLatin1Char('0')), u"付款人%1"_s.arg(r), u"物业费"_s, {},
                                QString::number(r * 1.25, 'f', 2)};
        grid = gridOf(ReportFormat, rows);
        for (const QString &file : {path(u"大.xlsx"_s), existing}) {
            openWindow(grid.get(), file);
            QTimer timer;
            bool seen = false;
            cancelProgressWhenShown(timer, &seen);
            QVERIFY(!window->To_Execl(grid.get(), Title, SheetName));
            QVERIFY(seen);
            QCOMPARE(window->lastError(), u"输出已取消。"_s);
            QCOMPARE(folderEntries(folder->path()), QStringList{u"台账.xlsx"_s});
            QCOMPARE(contents(existing), original);
        }

        // Not cancelled, it writes every row.
        openWindow(grid.get(), path(u"大.xlsx"_s));
        QTimer timer;
        bool seen = false;
        cancelProgressWhenShown(timer, &seen, false);
        QVERIFY(window->To_Execl(grid.get(), Title, SheetName));
        QVERIFY(seen);
        const Book book = Book::read(path(u"大.xlsx"_s), true);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.sheet(SheetName)[u"max_row"].toInt(), frmToExcel::ProgressRows + 1000 + 4);

        // A small grid shows the hourglass only.
        grid = reportGrid();
        openWindow(grid.get(), path(u"小.xlsx"_s));
        seen = false;
        QVERIFY(window->To_Execl(grid.get(), Title, SheetName));
        QVERIFY(!seen);
    }

    void confirmAndExitMessages()
    {
        QVERIFY(WindowDriver::show(openWindow(grid.get(), path(u"报表.xlsx"_s))));
        WindowDriver::typeOver(window->Text1[1], QString());
        WindowDriver::click(window->Command2);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QCOMPARE(MessageBoxes::records()[0].text, u"请输入标题内容"_s);
        QCOMPARE(MessageBoxes::records()[0].title, MessageBoxes::applicationTitle());
        QCOMPARE(MessageBoxes::records()[0].icon, MessageBoxes::Icon::None);
        WindowDriver::typeOver(window->Text1[1], Title);

        // No file name: both messages.
        MessageBoxes::clearRecords();
        WindowDriver::typeOver(window->Text1[0], QString());
        WindowDriver::click(window->Command2);
        QCOMPARE(texts(), (QStringList{u"请确定输出的文件名"_s, u"输出到Execl失败: "_s}));
        QCOMPARE(MessageBoxes::records()[0].title, MessageBoxes::executableName());
        QCOMPARE(MessageBoxes::records()[0].icon, MessageBoxes::Icon::None);
        QCOMPARE(MessageBoxes::records()[1].icon, MessageBoxes::Icon::Information);
        QCOMPARE(MessageBoxes::records()[1].title, MessageBoxes::applicationTitle());

        // No column chosen: nothing is written.
        MessageBoxes::clearRecords();
        WindowDriver::typeOver(window->Text1[0], path(u"报表.xlsx"_s));
        for (int k = 0; k < window->Grid1->Cols(); ++k)
            if (window->Grid1->ColWidth(k) > 0) // a hidden column is never chosen
                WindowDriver::doubleClickEntry(window->Grid1, window->Grid1->model()->index(1, k));
        WindowDriver::click(window->Command2);
        QCOMPARE(texts(), (QStringList{u"请至少选择一列输出"_s, u"输出到Execl失败: "_s}));
        QVERIFY(folderEntries(folder->path()).isEmpty());

        // Success closes the window; the spreadsheet program is started only when ticked.
        WindowDriver::clickCell(window->Grid1, 1, 2);
        MessageBoxes::clearRecords();
        WindowDriver::click(window->Command2);
        QTRY_VERIFY(window.isNull());
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(opened.isEmpty());
        QCOMPARE(folderEntries(folder->path()), QStringList{u"报表.xlsx"_s});

        openWindow(grid.get(), path(u"报表.xlsx"_s));
        window->Check1->setValue(1);
        QVERIFY(window->To_Execl(grid.get(), Title, SheetName));
        QCOMPARE(opened, QStringList{path(u"报表.xlsx"_s)});

        // Enter on the focused "退出" presses it.
        window->Command3->setFocus();
        QTest::keyClick(window->Command3, Qt::Key_Return);
        QTRY_VERIFY(window.isNull());
    }

    void fileDialogFillsTheFileName()
    {
        setProgramFolderForTests(folder->path());
        const auto restore = qScopeGuard([] { setProgramFolderForTests(QString()); });
        openWindow(grid.get(), QString());
        FileDialogs::setNextFileName(path(u"作废"_s));
        window->Command1->click();
        QCOMPARE(window->Text1[0]->text(), QDir::toNativeSeparators(path(u"作废.xlsx"_s)));
        QCOMPARE(FileDialogs::records().size(), 1);
        const FileDialogs::Record dialog = FileDialogs::records().first();
        QCOMPARE(dialog.kind, FileDialogs::Record::Save);
        QCOMPARE(dialog.folder, folder->path()); // the program's folder
        QCOMPARE(dialog.filter, u"Excel Flie *.xlsx (*.xlsx);;All flie *.* (*.*)"_s);

        FileDialogs::setNextFileName(QString()); // cancelled
        window->Command1->click();
        QCOMPARE(window->Text1[0]->text(), QDir::toNativeSeparators(path(u"作废.xlsx"_s)));
    }

    void fileDialogStartsInAWritableFolderOfTheUser()
    {
        // An installed program's folder, which the operator cannot write into.
        const QString installed = path(u"share/tessaline"_s);
        QVERIFY(QDir().mkpath(installed));
        QVERIFY(QFile::setPermissions(installed, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                     | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        const QString home = path(u"home"_s);
        QVERIFY(QDir().mkpath(home));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home));
        qunsetenv("XDG_CONFIG_HOME");
        setProgramFolderForTests(installed);
        const auto restore = qScopeGuard([&] {
            setProgramFolderForTests(QString());
            qputenv("HOME", oldHome);
            if (!oldConfig.isEmpty())
                qputenv("XDG_CONFIG_HOME", oldConfig);
            QFile::setPermissions(installed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });

        openWindow(grid.get(), QString());
        window->Command1->click(); // no Documents folder: the home folder
        QVERIFY(QDir().mkpath(home + u"/Documents"_s));
        window->Command1->click();
        QCOMPARE(FileDialogs::records().size(), 2);
        QCOMPARE(FileDialogs::records()[0].folder, home);
        QCOMPARE(FileDialogs::records()[1].folder, home + u"/Documents"_s);
    }
};

QTEST_MAIN(TestToExcel)
#include "test_to_excel.moc"
