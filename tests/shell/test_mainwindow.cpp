// The main window: menus by permission, windows opened once, log-off and switch of
// operator, banner and background, and the about box.
#include "ShellTestSupport.h"
#include "WindowDriver.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/PictureButton.h"
#include "shell/BannerStrip.h"
#include "shell/ChildWindow.h"
#include "shell/frmAbout.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList alwaysAvailable = {QStringLiteral("退出系统"), QStringLiteral("退出"), QStringLiteral("注销"),
                                     QStringLiteral("关于"), QStringLiteral("关于软件"), QStringLiteral("联系我们")};

const QStringList workingEntries = {QStringLiteral("票据使用情况查询"), QStringLiteral("票据作废恢复申请"),
                                    QStringLiteral("票据作废恢复审批"), QStringLiteral("票据作废查询"),
                                    QStringLiteral("全电票入库"), QStringLiteral("票据反核销"),
                                    QStringLiteral("恢复路径设置")};

// A window whose loading fails on the database.
class FailingWindow : public ChildWindow
{
protected:
    void Form_Load() override { throw db::DbError(-2147217865, QStringLiteral("对象名 '票据类型' 无效。")); }
};

// A window that will not close (an edit the operator has not finished).
class StubbornWindow : public QWidget
{
protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

// Stand-in working windows, so every entry has a window to open; they are placed as
// the program places its windows.
void registerStandInWindows()
{
    const QStringList maximized = {QStringLiteral("票据使用情况查询"), QStringLiteral("票据作废查询"),
                                   QStringLiteral("全电票入库")};
    for (const QString &name : workingEntries) {
        const bool topLevel = name == QStringLiteral("票据作废恢复申请");
        const auto placement = topLevel ? WindowEntry::Placement::TopLevel
                               : maximized.contains(name) ? WindowEntry::Placement::MaximizedChild
                                                          : WindowEntry::Placement::Child;
        registerWindow({name,
                        [name] {
                            auto *w = new QWidget;
                            w->setObjectName(QStringLiteral("window ") + name);
                            w->setWindowTitle(name);
                            w->resize(400, 300);
                            return w;
                        },
                        placement});
    }
}

QStringList enabledEntries(MDIForm1 *main)
{
    QStringList names;
    for (QAction *a : main->menuEntries())
        if (!a->isSeparator() && a->isEnabled())
            names << a->objectName();
    names.sort();
    return names;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    ShellFixture fixture;
    TestDatabase *database = nullptr;
    QTemporaryDir programDir;

    MDIForm1 *signInAs(const QString &user, const QString &password)
    {
        frmLogin *login = frmLogin::instance();
        login->Form_Load();
        login->TxtUser->setText(user);
        login->txtPassword->setText(password);
        login->cmdOK_Click();
        return MDIForm1::existingInstance();
    }

private slots:
    void initTestCase()
    {
        setProgramFolderForTests(programDir.path());
        registerStandInWindows();
    }

    void init()
    {
        QFile::remove(programDir.filePath(QStringLiteral("Command.Dll")));
        fixture.start();
        database = fixture.database.get();
    }

    void cleanup() { fixture.finish(); }

    void menuBarOrderAndNames()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QVERIFY(main);
        QCOMPARE(main->windowTitle(), QStringLiteral("Tessaline"));
        QStringList bar;
        for (QAction *a : main->menuBar()->actions())
            bar << a->objectName();
        QCOMPARE(bar, (QStringList{QStringLiteral("票据查看"), QStringLiteral("票据反核销"), QStringLiteral("恢复路径设置"),
                                   QStringLiteral("退出系统"), QStringLiteral("关于")}));
        // Each caption is the entry's name with the letter Alt reaches it by.
        static const QRegularExpression mnemonic(QStringLiteral("^(.+)\\(&[A-Z]\\)$"));
        for (QAction *a : main->menuEntries())
            if (!a->isSeparator())
                QCOMPARE(mnemonic.match(a->text()).captured(1), a->objectName());
    }

    // F10 and Alt with an underlined letter open the menus; Esc and Ctrl+F4 close the
    // active working window.
    void theKeyboardReachesMenusAndClosesWindows()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QVERIFY(QTest::qWaitForWindowActive(main));
        QMenu *bills = main->entry(QStringLiteral("票据查看"))->menu();
        QTest::keyClick(main, Qt::Key_F10);
        QTRY_VERIFY(bills->isVisible());
        QTest::keyClick(bills, Qt::Key_Escape);
        QTRY_VERIFY(!bills->isVisible());
        QMenu *exit = main->entry(QStringLiteral("退出系统"))->menu();
        QTest::keyClick(main, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(exit->isVisible());
        QTest::keyClick(exit, Qt::Key_Escape);
        QTRY_VERIFY(!exit->isVisible());

        for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::CTRL | Qt::Key_F4)}) {
            main->activateWindow(); // the test platform may have activated a closed menu
            QVERIFY(QTest::qWaitForWindowActive(main));
            QPointer<QWidget> window = main->openEntryWindow(QStringLiteral("票据反核销"));
            QVERIFY(window);
            QCOMPARE(main->clientArea()->subWindowList().size(), 1);
            window->setFocus();
            QTest::keyClick(window, key.key(), key.keyboardModifiers());
            QTRY_VERIFY(!window);
            QVERIFY(main->clientArea()->subWindowList().isEmpty());
        }
    }

    // The main window opens whole on a small screen (a 1366 × 768 laptop; the test
    // platform's screen is smaller still).
    void theFirstSizeFitsTheScreen()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QVERIFY(QTest::qWaitForWindowExposed(main));
        const QRect screen = main->screen()->availableGeometry();
        QVERIFY2(main->frameGeometry().width() <= screen.width() && main->frameGeometry().height() <= screen.height(),
                 qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                .arg(main->frameGeometry().width())
                                .arg(main->frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())));
    }

    void superUserGetsEveryEntry()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QCOMPARE(enabledEntries(main), sorted(alwaysAvailable + workingEntries + QStringList{QStringLiteral("票据查看")}));
    }

    void postWithoutGroupsSeesOnlyTheAlwaysAvailableEntries()
    {
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        QCOMPARE(enabledEntries(main), sorted(alwaysAvailable));
        QVERIFY(MessageBoxes::records().isEmpty());
    }

    void entryGrantedInsideARefusedDropDown()
    {
        grant(*database, QStringLiteral("P01"), QStringLiteral("G1"), QStringLiteral("全电票入库"), 1);
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        QVERIFY(main->entry(QStringLiteral("全电票入库"))->isEnabled());
        QVERIFY(!main->entry(QStringLiteral("票据查看"))->isEnabled());
    }

    void groupsThatDisagreeLeaveTheEntryEnabled()
    {
        grant(*database, QStringLiteral("P01"), QStringLiteral("G1"), QStringLiteral("票据反核销"), 1);
        grant(*database, QStringLiteral("P01"), QStringLiteral("G2"), QStringLiteral("票据反核销"), 0);
        grant(*database, QStringLiteral("P01"), QStringLiteral("G2"), QStringLiteral("票据查看"), 5);
        grant(*database, QStringLiteral("P01"), QStringLiteral("G2"), QStringLiteral("没有这个菜单"), 1);
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        QCOMPARE(enabledEntries(main),
                 sorted(alwaysAvailable + QStringList{QStringLiteral("票据反核销"), QStringLiteral("票据查看")}));
    }

    void nullPopedomShowsTheErrorBox()
    {
        grant(*database, QStringLiteral("P01"), QStringLiteral("G1"), QStringLiteral("票据查看"), QVariant());
        grant(*database, QStringLiteral("P01"), QStringLiteral("G2"), QStringLiteral("票据反核销"), 1);
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("错误号：94\r\n错误描述：无效使用 Null"));
        QCOMPARE(shown[0].title, QStringLiteral("提示"));
        QCOMPARE(shown[0].icon, MessageBoxes::Icon::Information);
        QCOMPARE(enabledEntries(main), sorted(alwaysAvailable));
    }

    void windowOpenedTwiceIsOneWindow()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        main->entry(QStringLiteral("票据反核销"))->trigger();
        QWidget *first = main->openWindowOf(QStringLiteral("票据反核销"));
        QVERIFY(first);
        main->entry(QStringLiteral("恢复路径设置"))->trigger();
        main->entry(QStringLiteral("票据反核销"))->trigger();
        QCOMPARE(main->openWindowOf(QStringLiteral("票据反核销")), first);
        QCOMPARE(main->clientArea()->subWindowList().size(), 2);
        QCOMPARE(main->clientArea()->activeSubWindow()->widget(), first);

        // A window that closes itself can be opened again.
        first->close();
        QTRY_COMPARE(main->clientArea()->subWindowList().size(), 1);
        main->entry(QStringLiteral("票据反核销"))->trigger();
        QVERIFY(main->openWindowOf(QStringLiteral("票据反核销")));
        QCOMPARE(main->clientArea()->subWindowList().size(), 2);

        // The application window is a window of its own, outside the client area.
        main->entry(QStringLiteral("票据作废恢复申请"))->trigger();
        QWidget *application = main->openWindowOf(QStringLiteral("票据作废恢复申请"));
        QVERIFY(application && application->isWindow());
        QCOMPARE(main->clientArea()->subWindowList().size(), 2);
    }

    void windowsComeBackFromTheirEntryAsTheyOpen()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        auto frameOf = [main](const QString &entry) {
            main->entry(entry)->trigger();
            return qobject_cast<QMdiSubWindow *>(main->openWindowOf(entry)->parentWidget());
        };
        auto isBack = [main](QMdiSubWindow *frame) {
            return frame->isVisible() && !frame->isMinimized() && main->clientArea()->activeSubWindow() == frame;
        };

        // A window that opens normal comes back normal after the operator minimised it.
        QMdiSubWindow *reverse = frameOf(QStringLiteral("票据反核销"));
        reverse->showMinimized();
        QCOMPARE(frameOf(QStringLiteral("票据反核销")), reverse);
        QVERIFY(isBack(reverse));
        QVERIFY(!reverse->isMaximized());

        // A window that opens maximised comes back maximised, from minimised ...
        QMdiSubWindow *stock = frameOf(QStringLiteral("全电票入库"));
        QVERIFY(stock->isMaximized());
        stock->showMinimized();
        QVERIFY(!stock->isMaximized());
        QCOMPARE(frameOf(QStringLiteral("全电票入库")), stock);
        QVERIFY(isBack(stock));
        QVERIFY(stock->isMaximized());

        // ... and after it was restored and another window came in front.
        stock->showNormal();
        frameOf(QStringLiteral("恢复路径设置"));
        QVERIFY(main->clientArea()->activeSubWindow() != stock);
        frameOf(QStringLiteral("全电票入库"));
        QVERIFY(isBack(stock));
        QVERIFY(stock->isMaximized());
        QCOMPARE(main->clientArea()->subWindowList().size(), 3);

        // A window of its own comes back from minimised.
        main->entry(QStringLiteral("票据作废恢复申请"))->trigger();
        QWidget *application = main->openWindowOf(QStringLiteral("票据作废恢复申请"));
        application->showMinimized();
        QVERIFY(application->isMinimized());
        main->entry(QStringLiteral("票据作废恢复申请"))->trigger();
        QCOMPARE(main->openWindowOf(QStringLiteral("票据作废恢复申请")), application);
        QVERIFY(application->isVisible());
        QVERIFY(!application->isMinimized());
        QVERIFY(!application->isMaximized());
    }

    void loginForASwitchIsInFrontWithTheUserIdFocused()
    {
        // The operator signed in by keyboard: the focus was on OK when the window went.
        frmLogin *login = frmLogin::instance();
        login->Form_Load();
        login->show();
        QVERIFY(QTest::qWaitForWindowActive(login));
        WindowDriver::typeOver(login->TxtUser, QStringLiteral("u1"));
        WindowDriver::typeOver(login->txtPassword, QStringLiteral("pw1"));
        login->cmdOK->setFocus();
        QTest::keyClick(login->cmdOK, Qt::Key_Space);
        MDIForm1 *main = MDIForm1::existingInstance();
        QVERIFY(main && main->isVisible());
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));

        bool modal = false, active = false, focused = false;
        QString selected;
        QTimer::singleShot(0, login, [&] {
            modal = QApplication::activeModalWidget() == login;
            active = QTest::qWaitFor([login] { return QApplication::activeWindow() == login; }, 2000);
            focused = QTest::qWaitFor([login] { return QApplication::focusWidget() == login->TxtUser; }, 2000);
            // The previous user id is selected, ready to be typed over.
            if (QTest::qWaitFor([login] { return login->TxtUser->hasSelectedText(); }, 2000))
                selected = login->TxtUser->selectedText();
            login->reject();
        });
        main->注销_Click();
        QVERIFY(modal);
        QVERIFY(active);
        QVERIFY(focused);
        QCOMPARE(selected, QStringLiteral("u1"));
        QVERIFY(!login->isVisible());
    }

    void logoffWithTheLauncherWritesTheCommandFile()
    {
        LaunchArguments() = QStringLiteral("u1,张三,01,总务处,P01,出纳,01,机关,1,管理岗");
        frmLogin::instance()->Form_Load();
        MDIForm1 *main = MDIForm1::existingInstance();
        QVERIFY(main);
        main->openEntryWindow(QStringLiteral("票据反核销"));
        main->注销_Click();
        QVERIFY(main->clientArea()->subWindowList().isEmpty());
        QFile file(programDir.filePath(QStringLiteral("Command.Dll")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QStringDecoder systemCodePage(QStringConverter::System);
        QCOMPARE(QString(systemCodePage.decode(bytes)), QStringLiteral("注销\r\n"));
        // The operator stays signed in; the login window never showed.
        QCOMPARE(OperatorContext().工号, QStringLiteral("u1"));
        QVERIFY(!frmLogin::instance()->isVisible());
    }

    // An installed program's folder cannot be written (root's /usr/share/tessaline; /proc
    // refuses new files even to root): the command file goes to the operator's data folder.
    void logoffOfAnInstalledProgramWritesToTheOperatorsFolder()
    {
        QTemporaryDir dataHome;
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
        setProgramFolderForTests(QStringLiteral("/proc"));
        LaunchArguments() = QStringLiteral("u1,张三,01,总务处,P01,出纳,01,机关,1,管理岗");
        frmLogin::instance()->Form_Load();
        MDIForm1 *main = MDIForm1::existingInstance();
        QVERIFY(main);
        main->注销_Click();
        setProgramFolderForTests(programDir.path());
        const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(own.startsWith(dataHome.path()));
        QFile file(QDir(own).filePath(QStringLiteral("Command.Dll")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString(QStringDecoder(QStringConverter::System).decode(file.readAll())), QStringLiteral("注销\r\n"));
    }

    void logoffWithoutTheLauncherSwitchesTheOperator()
    {
        grant(*database, QStringLiteral("P02"), QStringLiteral("G1"), QStringLiteral("恢复路径设置"), 1);
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        main->openEntryWindow(QStringLiteral("票据反核销"));
        frmLogin *login = frmLogin::instance();
        QTimer::singleShot(0, login, [login] {
            QCOMPARE(login->Tag, QStringLiteral("切换"));
            QVERIFY(login->txtPassword->text().isEmpty());
            QCOMPARE(login->TxtUser->text(), QStringLiteral("u1"));
            WindowDriver::typeOver(login->TxtUser, QStringLiteral("u2"));
            WindowDriver::typeOver(login->txtPassword, QStringLiteral("pw2"));
            WindowDriver::click(login->cmdOK);
            const int main = login->List1->item(0)->text().contains(QStringLiteral("主要")) ? 0 : 1;
            WindowDriver::doubleClickEntry(login->List1, login->List1->model()->index(main, 0));
        });
        main->注销_Click();
        QVERIFY(main->clientArea()->subWindowList().isEmpty());
        QCOMPARE(OperatorContext().岗位代号, QStringLiteral("P02"));
        QCOMPARE(enabledEntries(main), sorted(alwaysAvailable + QStringList{QStringLiteral("恢复路径设置")}));
        QVERIFY(!login->isVisible());
        QVERIFY(main->isVisible());
    }

    void switchToTheSuperUserEnablesEverything()
    {
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        frmLogin *login = frmLogin::instance();
        QTimer::singleShot(0, login, [login] {
            WindowDriver::typeOver(login->TxtUser, QStringLiteral("supVr"));
            WindowDriver::typeOver(login->txtPassword, QStringLiteral("tulipa"));
            WindowDriver::click(login->cmdOK);
        });
        main->注销_Click();
        QCOMPARE(OperatorContext().工号, QStringLiteral("超级用户"));
        QVERIFY(main->entry(QStringLiteral("全电票入库"))->isEnabled());
        QVERIFY(main->entry(QStringLiteral("票据查看"))->isEnabled());
    }

    void failingWindowIsReportedNotFatal()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        registerWindow({QStringLiteral("票据作废查询"), [] { return new FailingWindow; }});
        main->entry(QStringLiteral("票据作废查询"))->trigger();
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("-2147217865 对象名 '票据类型' 无效。"));
        QCOMPARE(shown[0].title, MessageBoxes::executableName());
        registerStandInWindows();
    }

    void switchWaitsForEveryChildWindowToClose()
    {
        MDIForm1 *main = signInAs(QStringLiteral("u1"), QStringLiteral("pw1"));
        auto *stubborn = new StubbornWindow;
        main->clientArea()->addSubWindow(stubborn)->show();
        // Should the login window open, close it again and remember that it did.
        bool loginOpened = false;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [&loginOpened] {
            loginOpened = frmLogin::instance()->isVisible();
            frmLogin::instance()->reject();
        });
        guard.start(0);
        main->注销_Click();
        guard.stop();
        QVERIFY(!loginOpened);
        QCOMPARE(main->clientArea()->subWindowList().size(), 1);
        QCOMPARE(OperatorContext().工号, QStringLiteral("u1"));
        delete stubborn->parentWidget();
    }

    void bannerTilesItsMiddleSlice()
    {
        // Slices at 8850 + 300 i while that is left of the last 4000 twips.
        QVERIFY(BannerStrip::sliceTargetsTwips(12850).isEmpty());
        QCOMPARE(BannerStrip::sliceTargetsTwips(13200), (QVector<int>{9150}));
        QCOMPARE(BannerStrip::sliceTargetsTwips(13751).size(), 3);
        QCOMPARE(BannerStrip::sliceTargetsTwips(30000).last(), 25950);
    }

    void backgroundPictureIsOptional()
    {
        // Without MDI.BMP the main window opens without a message.
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QVERIFY(main->isVisible());
        QVERIFY(MessageBoxes::records().isEmpty());
        MDIForm1::destroyInstance();

        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor(10, 200, 30));
        QVERIFY(picture.save(programDir.filePath(QStringLiteral("MDI.BMP")), "BMP"));
        main = MDIForm1::instance();
        main->show();
        QApplication::processEvents();
        const QImage shown = main->clientArea()->background().texture().toImage();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.size(), main->clientArea()->viewport()->size());
        QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)), QColor(10, 200, 30));
        QFile::remove(programDir.filePath(QStringLiteral("MDI.BMP")));
    }

    void aboutBoxAndItsSystemInformationFallback()
    {
        MDIForm1 *main = signInAs(QStringLiteral("supVr"), QStringLiteral("tulipa"));
        main->entry(QStringLiteral("关于软件"))->trigger();
        auto *about = qobject_cast<frmAbout *>(main->openWindowOf(QStringLiteral("关于软件")));
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("关于Veldrin系统2011版"));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("Veldrin系统2011版的一部分"));
        QVERIFY(about->Label7->text().endsWith(QStringLiteral("1.0.0")));

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray("/nonexistent"));
        QTest::mouseClick(about->cmdSysInfo, Qt::LeftButton);
        qputenv("PATH", path);
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("此时系统信息不可用"));
        QCOMPARE(shown[0].icon, MessageBoxes::Icon::None);
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        QTRY_VERIFY(!main->openWindowOf(QStringLiteral("关于软件")));
    }
};

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", testConfigHome().path().toUtf8());
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
