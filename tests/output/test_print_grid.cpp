// The grid print engine: the pages it lays out, on the recording surface, and what
// reaches a PDF file and the print preview.
#include "output/PrintGrid.h"
#include "PrintFromPreview.h"
#include "platform/Clock.h"
#include "platform/print/PageSetup.h"
#include "platform/print/PainterPrintSurface.h"
#include "platform/print/PrintQueue.h"
#include "platform/print/RecordingPrintSurface.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageSetupDialog>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using Surface = RecordingPrintSurface;
using MessageBoxes::Answer;

namespace {

// With the recording surface's fixed metrics a 9 point line is 225 twips high and a
// 16 point line 400; an em of 9 points is 180 twips wide, a Latin character 90.
constexpr double PageWidth = 10000;
constexpr double TallPage = 14400;
// Head with a subtitle 1450, foot 450, four lines 900, rows of 300 + 45: a page of
// 4525 holds R = 1725 \ 345 = 5 rows, the header row counted.
constexpr double FiveRowPage = 4525;
// With the subtitle: the header row from y 1850, the first data row from 2150.
constexpr double HeaderTop = 1850;
constexpr double FirstRowTop = 2150;

const QString Title = QStringLiteral("(东区)作废统计报表");
const QString Subtitle = QStringLiteral("日期范围:2026年12月01日-2026年12月09日");

// A grid in 宋体 9 point: a header row "列0", "列1", … and data rows "r{row}c{col}",
// rows 300 twips high.
std::unique_ptr<FlexGrid> makeGrid(int dataRows, const QList<int> &widths)
{
    auto grid = std::make_unique<FlexGrid>();
    grid->setFont(QFont(QStringLiteral("宋体"), 9));
    grid->setCols(int(widths.size()));
    grid->setRows(dataRows + 1);
    grid->setRowHeight(0, 300);
    for (int c = 0; c < widths.size(); ++c) {
        grid->setColWidth(c, widths[c]);
        grid->setTextMatrix(0, c, QStringLiteral("列%1").arg(c));
        for (int r = 1; r <= dataRows; ++r)
            grid->setTextMatrix(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
    return grid;
}

PrintGridResult print(Surface &surface, const FlexGrid &grid, const QString &subtitle = Subtitle,
                      bool signLine = false, int omitted = 0)
{
    return PrintGrid(surface, grid, PrintSurface::Twips, Title, subtitle, signLine, omitted);
}

QStringList textsOn(const Surface &surface, int page)
{
    QStringList result;
    for (const auto &text : surface.textsOnPage(page))
        result << text.text;
    return result;
}

// The data rows on a page, by the texts of their first column.
QStringList rowsOn(const Surface &surface, int page)
{
    static const QRegularExpression cell(QStringLiteral("^r\\d+c0$"));
    return textsOn(surface, page).filter(cell);
}

const Surface::Text *findText(const Surface &surface, const QString &text, int page = 1)
{
    for (const auto &t : surface.texts())
        if (t.text == text && t.page == page)
            return &t;
    return nullptr;
}

QString lineText(const Surface::Line &line)
{
    return QStringLiteral("(%1,%2)-(%3,%4)").arg(line.x1).arg(line.y1).arg(line.x2).arg(line.y2);
}

QStringList linesOn(const Surface &surface, int page)
{
    QStringList result;
    for (const auto &line : surface.linesOnPage(page))
        result << lineText(line);
    return result;
}

// The vertical lines of the column whose left edge is at x, as "y1-y2".
QStringList leftEdges(const Surface &surface, double x, int page = 1)
{
    QStringList result;
    for (const auto &line : surface.linesOnPage(page))
        if (line.x1 == x && line.x2 == x)
            result << QStringLiteral("%1-%2").arg(line.y1).arg(line.y2);
    return result;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Clicks Cancel of the progress dialog as soon as it takes its first events.
void cancelProgressWhenShown(bool *seen)
{
    QTimer::singleShot(0, [seen] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QProgressDialog *>(widget); dialog && dialog->isVisible()) {
                *seen = true;
                if (auto *cancel = dialog->findChild<QPushButton *>())
                    cancel->click();
            }
        }
    });
}

} // namespace

class TestPrintGrid : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tableAgainstPaperWidth_data();
    void tableAgainstPaperWidth();
    void rowsPerPageRoundHalfToEven_data();
    void rowsPerPageRoundHalfToEven();
    void onePageRuledExactly();
    void aTextWiderThanItsCellIsCutShort();
    void aPdfSurfaceTellsWhatFitsAsItsWidthsDo();
    void headOfEveryPage();
    void pagesAndTheirFeet();
    void mergedColumns();
    void mergeRunAcrossPageBreak();
    void omittedColumnsAreLeftOut();
    void pagesTooShortForTwoRowsHoldOneRow();
    void gridWithHeaderRowOnly();
    void unitsOtherThanTwipsAreRefused();
    void longPrintCanBeCancelled();

    void pdfReadBack();
    void cancelledPdfLeavesEarlierFile();
    void previewAsksOnceAndLaysOutAgain();
    void yesOpensPageSetupInsteadOfPreview();
    void confirmedPageSetupGoesOnToThePrint();
    void aPrintReachesItsQueueOnlyWhenComplete();

private:
    QTemporaryDir m_folder;
};

void TestPrintGrid::init()
{
    resetAppState();
    OrganisationName() = QStringLiteral("测试单位");
    setClockForTests(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    MessageBoxes::startScripting();
    MessageBoxes::clearRecords();
}

void TestPrintGrid::cleanup()
{
    MessageBoxes::stopScripting();
    PageSetup::stopScripting();
    setClockForTests(QDateTime());
}

void TestPrintGrid::tableAgainstPaperWidth_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<double>("left"); // NAN: nothing printed

    // Three columns of 2000: the table is 6000 twips wide.
    QTest::newRow("exactly as wide") << 6000.0 << false << Answer::Ok << 0.0;
    QTest::newRow("wider page") << 7000.0 << false << Answer::Ok << 500.0;
    QTest::newRow("one twip narrower, yes") << 5999.0 << true << Answer::Yes << double(NAN);
    QTest::newRow("one twip narrower, no") << 5999.0 << true << Answer::No << -0.5;
}

void TestPrintGrid::tableAgainstPaperWidth()
{
    QFETCH(double, width);
    QFETCH(bool, asked);
    QFETCH(Answer, answer);
    QFETCH(double, left);
    auto grid = makeGrid(2, {2000, 2000, 2000});
    Surface surface(width, TallPage);
    if (asked)
        MessageBoxes::queueAnswer(answer);

    const PrintGridResult result = print(surface, *grid);

    QCOMPARE(MessageBoxes::records().size(), asked ? 1 : 0);
    if (asked) {
        const auto box = MessageBoxes::records().first();
        QCOMPARE(box.text, QStringLiteral("纸张宽度不够，请设置更宽的纸张或把纸张改成横向打印\r\n是否要修改打印设置？"));
        QCOMPARE(box.title, QStringLiteral("Tessaline"));
        QCOMPARE(box.icon, MessageBoxes::Icon::None);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::YesNo);
    }
    if (std::isnan(left)) {
        QCOMPARE(result, PrintGridResult::ChangePaper);
        QVERIFY(!surface.hasOutput());
        QVERIFY(!surface.documentEnded());
        return;
    }
    QCOMPARE(result, PrintGridResult::Printed);
    QVERIFY(surface.documentEnded());
    // The table's left edge, and the closing rule under the last row.
    QCOMPARE(leftEdges(surface, left).first(), QStringLiteral("1850-2150"));
    QVERIFY(linesOn(surface, 1).contains(lineText({1, left, 2750, left + 6000, 2750})));
}

void TestPrintGrid::rowsPerPageRoundHalfToEven_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("rowsPerPage"); // data rows: R − 1

    // R = round(height − 2800) \ 345, each operand rounded half to even first.
    QTest::newRow("R 5, the least height") << FiveRowPage << 4;
    QTest::newRow("R 5, the greatest height") << 4869.0 << 4;
    QTest::newRow("1724.5 rounds down to 1724: R 4") << 4524.5 << 3;
    QTest::newRow("1725.5 rounds up to 1726: R 5") << 4525.5 << 4;
    QTest::newRow("2069.5 rounds up to 2070: R 6") << 4869.5 << 5;
    QTest::newRow("2068.5 rounds down to 2068: R 5") << 4868.5 << 4;
}

void TestPrintGrid::rowsPerPageRoundHalfToEven()
{
    QFETCH(double, height);
    QFETCH(int, rowsPerPage);
    auto grid = makeGrid(12, {2000, 2000});
    Surface surface(PageWidth, height);

    print(surface, *grid);

    QCOMPARE(rowsOn(surface, 1).size(), rowsPerPage);
    const int pages = (12 + rowsPerPage - 1) / rowsPerPage;
    QCOMPARE(surface.pageCount(), pages);
    QVERIFY(findText(surface, QStringLiteral("第1页 共%1页").arg(pages)));
}

void TestPrintGrid::onePageRuledExactly()
{
    // Two columns, 2000 and 3000 wide, on a page of 10000: L = 2500. The second column
    // is right-aligned (7); the first has the grid's general alignment.
    auto grid = makeGrid(2, {2000, 3000});
    grid->setColAlignment(1, 7);
    Surface surface(PageWidth, TallPage);

    QCOMPARE(print(surface, *grid, Subtitle, true), PrintGridResult::Printed);

    QCOMPARE(surface.pageCount(), 1);
    const QStringList expected = {
        // header row: top edge, (right edge of the last column,) left edge
        "(2500,1850)-(4500,1850)", "(2500,1850)-(2500,2150)",
        "(4500,1850)-(7500,1850)", "(7500,1850)-(7500,2150)", "(4500,1850)-(4500,2150)",
        // rows 1 and 2: top edge, left edge (, right edge)
        "(2500,2150)-(4500,2150)", "(2500,2150)-(2500,2450)",
        "(4500,2150)-(7500,2150)", "(4500,2150)-(4500,2450)", "(7500,2150)-(7500,2450)",
        "(2500,2450)-(4500,2450)", "(2500,2450)-(2500,2750)",
        "(4500,2450)-(7500,2450)", "(4500,2450)-(4500,2750)", "(7500,2450)-(7500,2750)",
        // the foot's closing rule
        "(2500,2750)-(7500,2750)",
    };
    QCOMPARE(linesOn(surface, 1), expected);

    // Header texts centred in their columns, data texts 45 twips inside: after the left
    // edge, or before the right edge in the right-aligned column ("r1c1" is 360 wide).
    const struct
    {
        QString text;
        double x, y;
    } texts[] = {
        {"列0", 2500 + (2000 - 270) / 2.0, 1850 + 37.5},
        {"列1", 4500 + (3000 - 270) / 2.0, 1850 + 37.5},
        {"r1c0", 2545, 2187.5},
        {"r1c1", 7500 - 360 - 45, 2187.5},
        {"r2c0", 2545, 2487.5},
        {"r2c1", 7095, 2487.5},
        // the foot: date right-aligned to the table, the sign line at (W − its width) / 2.5,
        // the page label centred at the bottom
        {"打印日期 2026-12-09", 7500 - 1710, 2750 + 225},
        {"审核                制单              ", (10000 - 3420) / 2.5, 2975},
        {"第1页 共1页", (10000 - 990) / 2.0, TallPage - 225},
    };
    for (const auto &e : texts) {
        const auto *text = findText(surface, e.text);
        QVERIFY2(text, qPrintable(e.text));
        QCOMPARE(text->x, e.x);
        QCOMPARE(text->y, e.y);
        QCOMPARE(text->fontName, QStringLiteral("宋体"));
        QCOMPARE(text->fontSize, 9.0);
    }
}

void TestPrintGrid::headOfEveryPage()
{
    auto grid = makeGrid(10, {2000, 2000});
    for (const QString &subtitle : {Subtitle, QString()}) {
        Surface surface(PageWidth, FiveRowPage);
        print(surface, *grid, subtitle);
        // Without the subtitle the head is 450 twips shorter: R = 6.
        const int pages = subtitle.isEmpty() ? 2 : 3;
        QCOMPARE(surface.pageCount(), pages);
        for (int page = 1; page <= pages; ++page) {
            // "测试单位" bold 16 point, 1280 wide, at the top; the title (2880 wide) half a
            // line under it; an empty line; the subtitle in the grid's font.
            const auto head = surface.textsOnPage(page);
            QCOMPARE(head[0].text, QStringLiteral("测试单位"));
            QCOMPARE(head[0].x, 4360.0);
            QCOMPARE(head[0].y, 0.0);
            QVERIFY(head[0].bold);
            QCOMPARE(head[0].fontSize, 16.0);
            QCOMPARE(head[1].text, Title);
            QCOMPARE(head[1].x, 3560.0);
            QCOMPARE(head[1].y, 600.0);
            QVERIFY(!head[1].bold);
            int next = 2;
            if (!subtitle.isEmpty()) {
                QCOMPARE(head[2].text, Subtitle);
                QCOMPARE(head[2].y, 1400.0);
                QCOMPARE(head[2].fontSize, 9.0);
                next = 3;
            }
            // The header row a line under the subtitle, or where the subtitle would be.
            const double headerTop = subtitle.isEmpty() ? 1625 : HeaderTop;
            QCOMPARE(head[next].text, QStringLiteral("列0"));
            QCOMPARE(head[next].y, headerTop + 37.5);
            QCOMPARE(leftEdges(surface, 3000, page).first(), QStringLiteral("%1-%2").arg(headerTop).arg(headerTop + 300));
        }
    }
}

void TestPrintGrid::pagesAndTheirFeet()
{
    // R = 5: four data rows a page.
    for (const int dataRows : {10, 8}) {
        auto grid = makeGrid(dataRows, {2000, 2000});
        Surface surface(PageWidth, FiveRowPage);
        print(surface, *grid);

        const int pages = (dataRows + 3) / 4;
        QCOMPARE(surface.pageCount(), pages);
        QVERIFY(surface.documentEnded());
        for (int page = 1; page <= pages; ++page) {
            const int rows = std::min(4, dataRows - 4 * (page - 1));
            QStringList expectedRows;
            for (int r = 1; r <= rows; ++r)
                expectedRows << QStringLiteral("r%1c0").arg(4 * (page - 1) + r);
            QCOMPARE(rowsOn(surface, page), expectedRows);
            // One foot a page, its closing rule under the page's last row.
            const QStringList texts = textsOn(surface, page);
            QCOMPARE(texts.filter(QStringLiteral("打印日期")).size(), 1);
            QCOMPARE(texts.last(), QStringLiteral("第%1页 共%2页").arg(page).arg(pages));
            const double edge = FirstRowTop + rows * 300;
            QVERIFY(linesOn(surface, page).contains(lineText({page, 3000, edge, 7000, edge})));
            QCOMPARE(findText(surface, QStringLiteral("打印日期 2026-12-09"), page)->y, edge + 225);
        }
    }
}

void TestPrintGrid::mergedColumns()
{
    // Column 0 merges, column 1 does not; both hold three equal texts then others.
    auto grid = makeGrid(6, {2000, 2000});
    grid->setMergeCol(0, true);
    const QStringList column0 = {"甲", "甲", "甲", "乙", "", ""};
    for (int r = 1; r <= 6; ++r) {
        grid->setTextMatrix(r, 0, column0[r - 1]);
        grid->setTextMatrix(r, 1, r <= 3 ? QStringLiteral("丙") : QString());
    }
    Surface surface(PageWidth, TallPage);
    print(surface, *grid);

    // One block three rows tall with its text once, centred; then a block a row.
    QCOMPARE(leftEdges(surface, 3000), QStringList({"1850-2150", "2150-3050", "3050-3350", "3350-3650", "3650-3950"}));
    QCOMPARE(textsOn(surface, 1).count(QStringLiteral("甲")), 1);
    QCOMPARE(findText(surface, QStringLiteral("甲"))->y, FirstRowTop + (900 - 225) / 2.0);
    QCOMPARE(findText(surface, QStringLiteral("乙"))->y, FirstRowTop + 900 + 37.5);
    // Equal cells of a column that does not merge, and empty cells, print a row each.
    QCOMPARE(textsOn(surface, 1).count(QStringLiteral("丙")), 3);
    QCOMPARE(leftEdges(surface, 5000).size(), 7);
}

void TestPrintGrid::mergeRunAcrossPageBreak()
{
    // Four data rows a page; rows 1 to 6 equal, row 7 different.
    auto grid = makeGrid(7, {2000, 2000});
    grid->setMergeCol(0, true);
    for (int r = 1; r <= 7; ++r)
        grid->setTextMatrix(r, 0, r <= 6 ? QStringLiteral("甲") : QStringLiteral("乙"));
    Surface surface(PageWidth, FiveRowPage);
    print(surface, *grid);

    QCOMPARE(surface.pageCount(), 2);
    // Page 1: down to the page's last row.
    QCOMPARE(leftEdges(surface, 3000, 1), QStringList({"1850-2150", "2150-3350"}));
    QCOMPARE(findText(surface, QStringLiteral("甲"), 1)->y, FirstRowTop + (1200 - 225) / 2.0);
    // Page 2: the run starts again at the top and its text is printed again.
    QCOMPARE(leftEdges(surface, 3000, 2), QStringList({"1850-2150", "2150-2750", "2750-3050"}));
    QCOMPARE(findText(surface, QStringLiteral("甲"), 2)->y, FirstRowTop + (600 - 225) / 2.0);
    QCOMPARE(textsOn(surface, 2).count(QStringLiteral("甲")), 1);
}

void TestPrintGrid::omittedColumnsAreLeftOut()
{
    auto grid = makeGrid(3, {1000, 2000, 3000, 4000});
    Surface surface(PageWidth, TallPage);
    print(surface, *grid, Subtitle, false, 2);

    // TW = 3000, so L = 3500; the last two columns are neither in the header nor the rows.
    const QStringList texts = textsOn(surface, 1);
    QVERIFY(texts.contains(QStringLiteral("列1")));
    QVERIFY(!texts.contains(QStringLiteral("列2")));
    QVERIFY(!texts.contains(QStringLiteral("列3")));
    QVERIFY(texts.contains(QStringLiteral("r3c1")));
    QVERIFY(texts.filter(QRegularExpression(QStringLiteral("c[23]$"))).isEmpty());
    QVERIFY(linesOn(surface, 1).contains(lineText({1, 3500, 3050, 6500, 3050})));
    QCOMPARE(leftEdges(surface, 6500).size(), 4); // the right edge of header and rows
}

void TestPrintGrid::pagesTooShortForTwoRowsHoldOneRow()
{
    // R = 300 \ 345 = 0: each page still takes one data row.
    auto grid = makeGrid(3, {2000, 2000});
    Surface surface(PageWidth, 3100);
    print(surface, *grid);

    QCOMPARE(surface.pageCount(), 3);
    for (int page = 1; page <= 3; ++page) {
        QCOMPARE(rowsOn(surface, page), QStringList{QStringLiteral("r%1c0").arg(page)});
        QCOMPARE(textsOn(surface, page).last(), QStringLiteral("第%1页 共3页").arg(page));
        QVERIFY(linesOn(surface, page).contains(lineText({page, 3000, 2450, 7000, 2450})));
    }
}

void TestPrintGrid::gridWithHeaderRowOnly()
{
    auto grid = makeGrid(0, {2000, 2000});
    Surface surface(PageWidth, TallPage);
    QCOMPARE(print(surface, *grid), PrintGridResult::Printed);

    QCOMPARE(surface.pageCount(), 1);
    QVERIFY(surface.documentEnded());
    QCOMPARE(textsOn(surface, 1), QStringList({"测试单位", Title, Subtitle, "列0", "列1", "打印日期 2026-12-09",
                                                "第1页 共1页"}));
    // The closing rule right under the header row.
    QVERIFY(linesOn(surface, 1).contains(lineText({1, 3000, 2150, 7000, 2150})));
}

void TestPrintGrid::unitsOtherThanTwipsAreRefused()
{
    auto grid = makeGrid(1, {2000});
    Surface surface(PageWidth, TallPage);
    QVERIFY_THROWS_EXCEPTION(PrintError, PrintGrid(surface, *grid, 3, Title, Subtitle, false, 0));
    QVERIFY(!surface.hasOutput());
}

void TestPrintGrid::longPrintCanBeCancelled()
{
    auto grid = makeGrid(3500, {2000, 2000});
    bool seen = false;
    cancelProgressWhenShown(&seen);
    Surface surface(PageWidth, TallPage);

    QCOMPARE(print(surface, *grid), PrintGridResult::Cancelled);

    QVERIFY(seen);
    QVERIFY(surface.documentAborted());
    QVERIFY(!surface.documentEnded());
    QCOMPARE(surface.pageCount(), 1);
    QVERIFY(rowsOn(surface, 1).size() < 32);
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<QProgressDialog *>(widget) && widget->isVisible()));
}

namespace {

// The report's shape: eleven columns, the second merging, the amount right-aligned.
std::unique_ptr<FlexGrid> reportGrid(int dataRows, int columnWidth)
{
    auto grid = makeGrid(dataRows, QList<int>(11, columnWidth));
    grid->setMergeCol(1, true);
    grid->setColAlignment(6, 7);
    for (int r = 1; r <= dataRows; ++r) {
        grid->setTextMatrix(r, 0, QString::number(r));
        grid->setTextMatrix(r, 1, r <= 10 ? QStringLiteral("合并甲") : QStringLiteral("单%1").arg(r));
        grid->setTextMatrix(r, 6, QStringLiteral("%1.50").arg(r * 3));
    }
    return grid;
}

QString pdfText(const QString &file)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

// A printer queue that keeps what it is handed: the job, and the text of its document
// read while the file is there.
class QueueStandIn : public PrintQueue
{
public:
    struct Handed
    {
        PrintJob job;
        QString document;
        QString text;
    };
    QList<Handed> handed;

    void submit(const QString &document, const PrintJob &job) override
    {
        handed.append({job, document, pdfText(document)});
    }
};

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

void TestPrintGrid::pdfReadBack()
{
    auto grid = reportGrid(90, 900);
    const QString file = m_folder.filePath(QStringLiteral("report.pdf"));
    QVERIFY(printGridToPdf(*grid, file, Title, Subtitle, false, 0));

    const QString text = pdfText(file);
    QVERIFY2(!text.isEmpty(), "pdftotext read nothing");
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), 3);
    for (int page = 1; page <= 3; ++page) {
        const QString &onPage = pages[page - 1];
        QVERIFY(onPage.contains(QStringLiteral("测试单位")));
        QVERIFY(onPage.contains(Title));
        QVERIFY(onPage.contains(Subtitle));
        QVERIFY(onPage.contains(QStringLiteral("列10")));
        QVERIFY(onPage.contains(QStringLiteral("打印日期 2026-12-09")));
        QVERIFY(onPage.contains(QStringLiteral("第%1页 共3页").arg(page)));
    }
    // Ten equal cells of the merging column print once.
    QCOMPARE(pages[0].count(QStringLiteral("合并甲")), 1);
    QVERIFY(pages[0].contains(QStringLiteral("单11")));

    // The recording surface with the real font's metrics lays out the same pages.
    const QRectF paint = defaultPdfPageLayout().paintRect(QPageLayout::Point);
    Surface surface(paint.width() * 20, paint.height() * 20, Surface::Metrics::Font);
    print(surface, *grid);
    QCOMPARE(surface.pageCount(), 3);

    // The first page as a picture, kept in the build folder to be looked at.
    const QString build = qEnvironmentVariable("TESSALINE_BUILD_DIR", m_folder.path());
    const QString picture = build + QStringLiteral("/print_grid_page1");
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("50"),
                                     QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                                     file, picture});
    const QImage image(picture + QStringLiteral(".png"));
    QVERIFY(!image.isNull());
    // A4 at 50 dots per inch.
    QVERIFY(qAbs(image.width() - 413) <= 1);
    QVERIFY(qAbs(image.height() - 585) <= 1);
    // The table's left rule: 10 mm of margin plus L = (10772 − 9900) / 2 twips.
    const int ruleX = qRound((566.9 + 436) * 50 / 1440);
    int darkRows = 0;
    for (int y = 100; y < 500; ++y) {
        int darkest = 255;
        for (int x = ruleX - 1; x <= ruleX + 1; ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
        darkRows += darkest < 160;
    }
    QVERIFY2(darkRows > 350, qPrintable(QString::number(darkRows)));
}

void TestPrintGrid::cancelledPdfLeavesEarlierFile()
{
    const QString file = m_folder.filePath(QStringLiteral("cancelled.pdf"));
    {
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    auto grid = reportGrid(3500, 900);
    bool seen = false;
    cancelProgressWhenShown(&seen);
    QVERIFY(!printGridToPdf(*grid, file, Title, Subtitle, false, 0));
    QVERIFY(seen);

    // Yes to the question about a page too narrow writes nothing either.
    auto wide = reportGrid(3, 1500);
    const QString other = m_folder.filePath(QStringLiteral("narrow.pdf"));
    MessageBoxes::queueAnswer(Answer::Yes);
    QVERIFY(!printGridToPdf(*wide, other, Title, Subtitle, false, 0));
    QCOMPARE(MessageBoxes::records().size(), 1);

    QFile earlier(file);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("cancelled")),
             QStringList{QStringLiteral("cancelled.pdf")});
    QVERIFY(!QFile::exists(other));
}

void TestPrintGrid::previewAsksOnceAndLaysOutAgain()
{
    QPrinter &printer = programPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString());
    printer.setPageLayout(defaultPdfPageLayout());
    // Eight columns of 1500: wider than A4 portrait (10772 twips), narrower than landscape.
    auto grid = makeGrid(100, QList<int>(8, 1500));
    MessageBoxes::queueAnswer(Answer::No);
    const QString file = m_folder.filePath(QStringLiteral("preview.pdf"));

    int portraitPages = 0;
    int landscapePages = 0;
    int questionsWhilePreviewing = -1;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>()) {
            portraitPages = preview->pageCount();
            preview->setLandscapeOrientation();
            landscapePages = preview->pageCount();
            questionsWhilePreviewing = int(MessageBoxes::records().size());
            printer.setOutputFileName(file);
            preview->print();
        }
        dialog->accept();
    });
    const bool printed = printGridWithPreview(nullptr, *grid, Title, Subtitle, false, 0);
    printer.setOutputFileName(QString());
    printer.setPageLayout(defaultPdfPageLayout());

    QVERIFY(printed);
    QCOMPARE(MessageBoxes::records().size(), 1);
    QCOMPARE(questionsWhilePreviewing, 1);
    // Landscape pages are shorter: more of them.
    QVERIFY(portraitPages >= 3);
    QVERIFY2(landscapePages > portraitPages, qPrintable(QStringLiteral("%1 %2").arg(portraitPages).arg(landscapePages)));
    const QString text = pdfText(file);
    QVERIFY(text.contains(QStringLiteral("第1页 共%1页").arg(landscapePages)));
    QCOMPARE(text.count(QLatin1Char('\f')), landscapePages);
    QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("preview")),
             QStringList{QStringLiteral("preview.pdf")});
}

void TestPrintGrid::yesOpensPageSetupInsteadOfPreview()
{
    QPrinter &printer = programPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(defaultPdfPageLayout());
    auto grid = makeGrid(3, QList<int>(8, 1500));
    MessageBoxes::queueAnswer(Answer::Yes);

    QString shown;
    QTimer::singleShot(0, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            shown = QString::fromLatin1(dialog->metaObject()->className());
            if (qobject_cast<QPageSetupDialog *>(dialog))
                shown = QStringLiteral("page set-up");
            qobject_cast<QDialog *>(dialog)->reject();
        }
    });
    QVERIFY(!printGridWithPreview(nullptr, *grid, Title, Subtitle, false, 0));
    QCOMPARE(shown, QStringLiteral("page set-up"));
    QCOMPARE(MessageBoxes::records().size(), 1);
}

void TestPrintGrid::confirmedPageSetupGoesOnToThePrint()
{
    QPrinter &printer = programPrinter();
    const QString file = m_folder.filePath(QStringLiteral("set-up.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageLayout(defaultPdfPageLayout());
    const auto restore = qScopeGuard([&] {
        printer.setOutputFileName(QString());
        printer.setPageLayout(defaultPdfPageLayout());
    });
    // Eight columns of 1500: wider than A4 portrait (10772 twips), narrower than landscape.
    auto grid = makeGrid(100, QList<int>(8, 1500));

    // Confirmed with the page still too narrow, the question comes again; confirmed in
    // landscape, the print goes on.
    MessageBoxes::queueAnswer(Answer::Yes);
    MessageBoxes::queueAnswer(Answer::Yes);
    PageSetup::scriptNext([](QPrinter &) { return true; });
    PageSetup::scriptNext([](QPrinter &p) { return p.setPageOrientation(QPageLayout::Landscape); });
    const PreviewPrint confirmed = printFromPreview(grid.get(), Title, Subtitle);
    QVERIFY(confirmed.printed);
    QCOMPARE(MessageBoxes::records().size(), 2);
    QCOMPARE(PageSetup::shownCount(), 2);
    QVERIFY(pdfText(file).contains(QStringLiteral("第1页 共")));
    QVERIFY(run(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("842 x 595 pts")));

    // A cancelled page set-up prints nothing.
    QVERIFY(QFile::remove(file));
    printer.setPageLayout(defaultPdfPageLayout());
    MessageBoxes::queueAnswer(Answer::Yes);
    PageSetup::scriptNext([](QPrinter &) { return false; });
    const PreviewPrint cancelled = printFromPreview(grid.get(), Title, Subtitle);
    QVERIFY(!cancelled.previewShown);
    QVERIFY(!cancelled.printed);
    QVERIFY(!QFile::exists(file));
}

void TestPrintGrid::aPrintReachesItsQueueOnlyWhenComplete()
{
    QueueStandIn queue;
    setPrintQueueForTests(&queue);
    QTemporaryDir temporary; // where the print keeps its document until handed over
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    // The program's printer without an output file prints to its queue.
    QPrinter &printer = programPrinter();
    printer.setOutputFileName(QString());
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(defaultPdfPageLayout());
    const auto restore = qScopeGuard([&] {
        setPrintQueueForTests(nullptr);
        if (tmpdir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", tmpdir);
    });
    auto grid = reportGrid(3500, 900);

    // 取消 at about 30 %: nothing reaches the queue and nothing is left behind.
    const PreviewPrint cancelled = printFromPreview(grid.get(), Title, Subtitle, 0.3);
    QVERIFY(cancelled.cancelled);
    QVERIFY(!cancelled.printed);
    QVERIFY(queue.handed.isEmpty());
    QCOMPARE(filesIn(temporary.path()), QStringList());

    // The whole print reaches the queue as one document with every page, which then goes.
    const PreviewPrint whole = printFromPreview(grid.get(), Title, Subtitle);
    QVERIFY(whole.printed);
    QCOMPARE(queue.handed.size(), 1);
    QCOMPARE(queue.handed[0].job.title, Title);
    QVERIFY(queue.handed[0].document.startsWith(temporary.path()));
    const QString &text = queue.handed[0].text;
    const int pages = int(text.count(QLatin1Char('\f')));
    QVERIFY2(pages > 50, qPrintable(QString::number(pages)));
    QVERIFY(text.contains(QStringLiteral("第%1页 共%1页").arg(pages)));
    QCOMPARE(filesIn(temporary.path()), QStringList());
}

void TestPrintGrid::aTextWiderThanItsCellIsCutShort()
{
    auto grid = makeGrid(2, {1200, 1200, 0});
    grid->setTextMatrix(1, 0, QStringLiteral("一段比单元格宽得多的摘要文字"));
    grid->setTextMatrix(1, 2, QStringLiteral("hidden"));
    Surface surface(20000, TallPage);
    QCOMPARE(print(surface, *grid), PrintGridResult::Printed);
    const QStringList texts = textsOn(surface, 1);
    QString cut;
    for (const QString &t : texts)
        if (t.startsWith(QStringLiteral("一段")))
            cut = t;
    QVERIFY2(cut.endsWith(QStringLiteral("…")), qPrintable(texts.join(u'|')));
    QVERIFY(surface.textWidth(cut) <= 1200 - 2 * 45);
    QVERIFY(surface.textWidth(cut + QStringLiteral("文")) > 1200 - 2 * 45 || cut.size() < 3);
    // A text that fits stays whole; a column of width 0 shows nothing.
    QVERIFY(texts.contains(QStringLiteral("r2c0")));
    QVERIFY(!texts.contains(QStringLiteral("hidden")));
}

// The fit test, which skips shaping for texts of simple scripts, must never call a
// text fitting that its measured width says is too wide, nor the other way round.
void TestPrintGrid::aPdfSurfaceTellsWhatFitsAsItsWidthsDo()
{
    QTemporaryDir folder;
    QPdfWriter writer(folder.filePath(QStringLiteral("fit.pdf")));
    PainterPrintSurface surface(&writer);
    const QStringList texts = {QStringLiteral("AVAVAVAVAVAV"), QStringLiteral("To Tw Ty Yo"), QStringLiteral("WWWWWWWW"),
                               QStringLiteral("iiiiiiiiiiii"), QStringLiteral("ffi fl ff"), QStringLiteral("票据号码00012345"),
                               QStringLiteral("付款人（张三）、物业管理费。"), QStringLiteral("2026-12-09 12:30:00"),
                               QStringLiteral("Ünïcödé ÀÉÎ"), QStringLiteral("ｱｲｳ　ＡＢＣ１２３")};
    for (const double size : {9.0, 10.5, 16.0}) {
        surface.setFontName(QStringLiteral("宋体"));
        surface.setFontSize(size);
        surface.setFontBold(size > 10);
        for (const QString &text : texts) {
            const double width = surface.textWidth(text);
            QVERIFY2(surface.textFits(text, width), qPrintable(text));
            QVERIFY2(!surface.textFits(text, width - 0.5), qPrintable(text));
            QVERIFY2(surface.textFits(text, width * 1.2), qPrintable(text));
        }
    }
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("AR PL UMing CN")});
    TestPrintGrid test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_print_grid.moc"
