// Renders the windows on the demo data to PNG files in the build folder (screens/),
// for review and for the README. Each picture is also checked to be a real picture.
#include "db/DatabaseSetup.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/MDIForm1.h"
#include "shell/Program.h"
#include "shell/WindowRegistry.h"
#include "shell/frmLogin.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/DatePicker.h"
#include "output/PrintGrid.h"
#include "output/frmToExcel.h"
#include "report/frm收款日报表.h"
#include "shell/frmAbout.h"
#include "restore/Frm票据作废恢复申请.h"
#include "restore/frm恢复流程设置.h"
#include "restore/frm申请详细.h"
#include "stock/frm票据入库.h"
#include "usage/frm票据明细.h"
#include "usage/frm票据反核销.h"
#include "usage/frm票据核销.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QMdiArea>
#include <QScrollBar>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QtTest>

namespace {

QTemporaryDir &configHome()
{
    static QTemporaryDir dir;
    return dir;
}

QString screensFolder()
{
    const QString build = qEnvironmentVariable("TESSALINE_BUILD_DIR", QDir::currentPath());
    QDir().mkpath(build + QStringLiteral("/screens"));
    return build + QStringLiteral("/screens");
}

// Saves a picture and checks that it shows something (more than one colour).
void save(const QImage &image, const QString &name)
{
    QVERIFY(!image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 8, qPrintable(name));
    QVERIFY(image.save(screensFolder() + QLatin1Char('/') + name));
}

// Whether the operator can bring the whole button into the client area's view with
// its scroll bars.
bool reachable(QMdiArea *area, QWidget *button)
{
    for (int x : {0, area->horizontalScrollBar()->maximum()})
        for (int y : {0, area->verticalScrollBar()->maximum()}) {
            area->horizontalScrollBar()->setValue(x);
            area->verticalScrollBar()->setValue(y);
            QApplication::processEvents();
            const QRect shown(button->mapTo(area->viewport(), QPoint(0, 0)), button->size());
            if (button->isVisible() && area->viewport()->rect().contains(shown))
                return true;
        }
    return false;
}

} // namespace

class TestScreenshots : public QObject
{
    Q_OBJECT

    QTemporaryDir dataDir;

private slots:
    void initTestCase()
    {
        const QString file = dataDir.filePath(QStringLiteral("demo.db"));
        {
            auto connection = db::Connection::createSqlite(file);
            DatabaseSetup::createSchema(*connection);
            DatabaseSetup::loadDemoData(*connection);
        }
        QSettings settings(configHome().filePath(QStringLiteral("VB and VBA Program Settings/Veldrin2011.conf")),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("DBConfig/DBname"), file);
        settings.setValue(QStringLiteral("Tessaline/Backend"), QStringLiteral("sqlite"));
        settings.sync();
        setProgramFolderForTests(QStringLiteral(TESSALINE_APP_FOLDER));
        setClockForTests(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
        registerWindow({QStringLiteral("全电票入库"), [] { return new frm票据入库; }, WindowEntry::Placement::MaximizedChild});
        registerWindow({QStringLiteral("票据使用情况查询"), [] { return new frm票据核销; }, WindowEntry::Placement::MaximizedChild});
        registerWindow({QStringLiteral("票据反核销"), [] { return new frm票据反核销; }, WindowEntry::Placement::Child});
        registerWindow({QStringLiteral("票据作废恢复申请"), [] { return new Frm票据作废恢复申请; }, WindowEntry::Placement::TopLevel});
        registerWindow({QStringLiteral("票据作废恢复审批"), [] { return new frm申请详细; }, WindowEntry::Placement::Child});
        registerWindow({QStringLiteral("票据作废查询"), [] { return new frm收款日报表; }, WindowEntry::Placement::MaximizedChild});
        registerWindow({QStringLiteral("恢复路径设置"), [] { return new frm恢复流程设置; }, WindowEntry::Placement::Child});
        MessageBoxes::startScripting();
    }

    void loginWindow()
    {
        frmLogin *login = frmLogin::instance();
        login->Form_Load();
        login->show();
        login->TxtUser->setText(QStringLiteral("1006"));
        login->txtPassword->setText(QStringLiteral("123"));
        login->cmdOK_Click();
        QVERIFY(MessageBoxes::records().isEmpty());
        QApplication::processEvents();
        save(login->grab().toImage(), QStringLiteral("login.png"));
        login->List1->setCurrentRow(0);
        login->List1_DblClick();
    }

    void mainWindowWithMenus()
    {
        MDIForm1 *main = MDIForm1::existingInstance();
        QVERIFY(main);
        main->resize(1280, 800);
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("main.png"));
        QMenu *bills = main->menuBar()->actions().first()->menu();
        QVERIFY(bills);
        bills->popup(main->mapToGlobal(QPoint(10, 20)));
        QApplication::processEvents();
        save(bills->grab().toImage(), QStringLiteral("main_menu.png"));
        bills->hide();
    }

    void stockInWindow()
    {
        OperatorContext().工号 = QStringLiteral("超级用户");
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<frm票据入库 *>(main->openEntryWindow(QStringLiteral("全电票入库")));
        QVERIFY(window);
        QApplication::processEvents();
        for (const char *number : {"00012001", "00012002"}) {
            window->Command1_Click();
            window->Text3->setText(QString::fromLatin1(number));
            window->Command2_Click();
        }
        window->TreeView1->setSelectedIndex(1);
        window->TreeView1_NodeClick(1);
        window->Command1_Click();
        window->Text3->setText(QStringLiteral("3300001"));
        window->Command2_Click();
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("stock_in.png"));
        window->Command4_Click();
    }

    // The books of the operator's department, the first one marked, then a book's bills.
    void usageWindow()
    {
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<frm票据核销 *>(main->openEntryWindow(QStringLiteral("票据使用情况查询")));
        QVERIFY(window);
        QApplication::processEvents();
        window->Command6_Click();
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("usage_tree.png"));
        window->TreeView1->setSelectedIndex(1);
        window->TreeView1_DblClick();
        QVERIFY(window->MSFlexGrid1->Rows() > 1);
        window->MSFlexGrid1->setRow(1);
        window->MSFlexGrid1->setCol(5);
        window->MSFlexGrid1_Click();
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("usage.png"));
        window->MSFlexGrid1->setCol(14);
        window->MSFlexGrid1_Click();
        auto *details = window->findChild<QDialog *>(QStringLiteral("frm票据明细"));
        QVERIFY(details);
        QApplication::processEvents();
        save(details->grab().toImage(), QStringLiteral("usage_details.png"));
        details->close();
        window->Command4_Click();
    }

    // The reverse write-off window after a book was looked up.
    void reverseWriteOffWindow()
    {
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<frm票据反核销 *>(main->openEntryWindow(QStringLiteral("票据反核销")));
        QVERIFY(window);
        QApplication::processEvents();
        window->Text2->setText(QStringLiteral("01-2025-01"));
        window->Text1->setText(QStringLiteral("HX2025001"));
        window->Command1_Click();
        QVERIFY(window->Command3->isEnabled());
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("reverse_writeoff.png"));
        window->Command2_Click();
    }

    // The application window with a voided bill and its lines, then the department's
    // applications with the steps of one of them.
    void restorationApplicationWindow()
    {
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<Frm票据作废恢复申请 *>(main->openEntryWindow(QStringLiteral("票据作废恢复申请")));
        QVERIFY(window);
        window->resize(1100, 640);
        window->Text1->setText(QStringLiteral("01-2026-01"));
        window->Command1_Click();
        for (int row = 1; row < window->MSFlexGrid1->Rows(); ++row)
            if (!window->MSFlexGrid1->TextMatrix(row, 26).isEmpty()) {
                window->MSFlexGrid1->setRow(row);
                break;
            }
        window->MSFlexGrid1_Click();
        QApplication::processEvents();
        save(window->grab().toImage(), QStringLiteral("restoration_application.png"));
        window->Command7_Click();
        QVERIFY(window->MSFlexGrid3->Rows() > 1);
        window->MSFlexGrid3->setRow(window->MSFlexGrid3->Rows() - 1);
        window->MSFlexGrid3_Click();
        QApplication::processEvents();
        save(window->grab().toImage(), QStringLiteral("restoration_status.png"));
        window->Command3_Click();
    }

    // The approval window of the first node of path HF01, an application selected and
    // the decision panel open.
    void restorationApprovalWindow()
    {
        const OperatorContextRecord signedIn = OperatorContext();
        OperatorContext().岗位代号 = QStringLiteral("8");
        OperatorContext().姓名 = QStringLiteral("王建国");
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<frm申请详细 *>(main->openEntryWindow(QStringLiteral("票据作废恢复审批")));
        QVERIFY(window);
        QApplication::processEvents();
        QVERIFY(window->List1->listCount() > 0);
        window->List1->setListIndex(0);
        window->Command4_Click();
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("restoration_approval.png"));
        window->Command1_Click();
        MessageBoxes::clearRecords();
        OperatorContext() = signedIn;
    }

    // On a small screen every working window's buttons can still be reached: the
    // client area scrolls to a fixed window larger than itself, and a maximised window
    // keeps its buttons inside the client area.
    void smallScreenKeepsTheButtonsReachable()
    {
        const OperatorContextRecord signedIn = OperatorContext();
        OperatorContext().岗位代号 = QStringLiteral("8");
        MDIForm1 *main = MDIForm1::existingInstance();
        const QSize before = main->size();
        main->resize(760, 520);
        QApplication::processEvents();
        const QList<std::pair<QString, QStringList>> windows = {
            {QStringLiteral("票据作废恢复审批"), {QStringLiteral("Command4"), QStringLiteral("Command1")}},
            {QStringLiteral("票据作废查询"), {QStringLiteral("Command1(0)"), QStringLiteral("Command1(2)")}},
            {QStringLiteral("全电票入库"), {QStringLiteral("Command1"), QStringLiteral("Command4")}},
        };
        for (const auto &[entry, buttons] : windows) {
            QWidget *window = main->openEntryWindow(entry);
            QVERIFY(window);
            QApplication::processEvents();
            save(main->grab().toImage(), QStringLiteral("small_screen_%1.png").arg(entry));
            for (const QString &name : buttons) {
                auto *button = window->findChild<QPushButton *>(name);
                QVERIFY2(button, qPrintable(name));
                QVERIFY2(reachable(main->clientArea(), button), qPrintable(entry + QLatin1Char(' ') + name));
            }
            main->clientArea()->closeAllSubWindows();
            QApplication::processEvents();
        }
        main->resize(before);
        MessageBoxes::clearRecords();
        OperatorContext() = signedIn;
    }

    // The void statistics of the first office over the year, every item and method.
    void voidReportWindow()
    {
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<frm收款日报表 *>(main->openEntryWindow(QStringLiteral("票据作废查询")));
        QVERIFY(window);
        QApplication::processEvents();
        QVERIFY(window->Combo1->listCount() > 0);
        window->Combo1->setListIndex(0);
        window->Check2->setValue(1);
        window->DTPicker1->setValue(QDate(2026, 1, 1));
        window->Command1_Click(0);
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(window->MSFlexGrid1->Rows() > 2);
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("void_report.png"));

        // The export window as the report hands it the grid.
        window->Command1_Click(1);
        frmToExcel *exporter = frmToExcel::instance();
        QVERIFY(exporter->isVisible());
        QApplication::processEvents();
        save(exporter->grab().toImage(), QStringLiteral("export.png"));
        delete exporter; // a top-level window: nothing else would delete it before the end

        // The first printed page, as the print engine lays it out on A4.
        const QString pdf = screensFolder() + QStringLiteral("/void_report.pdf");
        QVERIFY(printGridToPdf(*window->MSFlexGrid1, pdf,
                               QStringLiteral("(") + window->officeName() + QStringLiteral(")作废统计报表"),
                               QStringLiteral("日期范围:2026年01月01日-2026年12月09日"), false, 0));
        QProcess render;
        render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                                   QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                                   QStringLiteral("-singlefile"), pdf, screensFolder() + QStringLiteral("/printed_page")});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        QVERIFY(QFile::exists(screensFolder() + QStringLiteral("/printed_page.png")));
        window->Command1_Click(2);
    }

    void aboutBox()
    {
        frmAbout about;
        about.show();
        QApplication::processEvents();
        save(about.grab().toImage(), QStringLiteral("about.png"));
    }

    // The approval paths with the first path selected, its nodes listed and the posts
    // of a department shown.
    void approvalPathWindow()
    {
        MDIForm1 *main = MDIForm1::existingInstance();
        auto *window = dynamic_cast<frm恢复流程设置 *>(main->openEntryWindow(QStringLiteral("恢复路径设置")));
        QVERIFY(window);
        QApplication::processEvents();
        window->Combo1->setListIndex(0);
        window->Combo1_Click();
        QVERIFY(window->MSFlexGrid1->Rows() > 1);
        window->MSFlexGrid1->setRow(1);
        window->MSFlexGrid1_Click();
        QVERIFY(window->List2->count() > 0);
        window->TreeView1->expandAll();
        window->TreeView1->setSelectedIndex(2);
        window->TreeView1_NodeClick(2);
        QApplication::processEvents();
        save(main->grab().toImage(), QStringLiteral("approval_paths.png"));
        window->Command5_Click();
    }
};

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", configHome().path().toUtf8());
    qputenv("TESSALINE_NO_DESKTOP", "1");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("AR PL UMing CN")});
    TestScreenshots test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screenshots.moc"
