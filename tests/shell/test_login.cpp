// Every sign-in path of the login window, driven through its controls.
#include "ShellTestSupport.h"
#include "WindowDriver.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/PictureButton.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using MessageBoxes::Icon;

class TestLogin : public QObject
{
    Q_OBJECT

    ShellFixture fixture;
    TestDatabase *database = nullptr;

    frmLogin *openLogin()
    {
        frmLogin *login = frmLogin::instance();
        if (login->Form_Load())
            login->show();
        return login;
    }

    void signIn(frmLogin *login, const QString &user, const QString &password)
    {
        WindowDriver::typeOver(login->TxtUser, user);
        WindowDriver::typeOver(login->txtPassword, password);
        WindowDriver::click(login->cmdOK);
    }

    // Shows the post list of u2 (two current posts) and selects nothing in it.
    frmLogin *showPostList()
    {
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u2"), QStringLiteral("pw2"));
        return login;
    }

    static int partTimeLine(const frmLogin *login)
    {
        return login->List1->item(0)->text().contains(QStringLiteral("兼职")) ? 0 : 1;
    }

    bool mainWindowShown() const
    {
        return MDIForm1::existingInstance() && MDIForm1::existingInstance()->isVisible();
    }

private slots:
    void init()
    {
        fixture.start();
        database = fixture.database.get();
    }

    void cleanup() { fixture.finish(); }

    void versionLabelAndHiddenPostList()
    {
        frmLogin *login = openLogin();
        QVERIFY(login->isVisible());
        QCOMPARE(login->windowTitle(), QStringLiteral("Veldrin系统"));
        QCOMPARE(login->Label1->text(), QStringLiteral("V1.0版"));
        QVERIFY(!login->List1->isVisible());
        QVERIFY(!login->Label2->isVisible());
        QCOMPARE(login->txtPassword->echoMode(), QLineEdit::Password);
        // Nothing connects before OK.
        QVERIFY(!DbConnection().isOpen());
    }

    void emptyFieldsAreRefused()
    {
        frmLogin *login = openLogin();
        signIn(login, QString(), QStringLiteral("pw1"));
        signIn(login, QStringLiteral("u1"), QString());
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].text, QStringLiteral("用户名不能为空!"));
        QCOMPARE(shown[1].text, QStringLiteral("密码不能为空!"));
        QCOMPARE(shown[0].title, QStringLiteral("Tessaline"));
        QCOMPARE(shown[0].icon, Icon::Information);
        QVERIFY(!DbConnection().isOpen());
    }

    void wrongPasswordKeepsTheWindowAndAnEmptyContext()
    {
        frmLogin *login = openLogin();
        OperatorContext().工号 = QStringLiteral("left over");
        signIn(login, QStringLiteral("u1"), QStringLiteral("nope"));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("用户名或密码不正确,请重新输入!")});
        QVERIFY(OperatorContext().工号.isEmpty());
        QVERIFY(!mainWindowShown());
        QVERIFY(login->isVisible());
    }

    void onePostGoesStraightToTheMainWindow()
    {
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u1"), QStringLiteral("pw1"));
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(mainWindowShown());
        QVERIFY(!login->isVisible());
        const OperatorContextRecord &c = OperatorContext();
        QCOMPARE(c.工号, QStringLiteral("u1"));
        QCOMPARE(c.姓名, QStringLiteral("张三"));
        QCOMPARE(c.职能部门编号, QStringLiteral("01"));
        QCOMPARE(c.职能部门名称, QStringLiteral("总务处"));
        QCOMPARE(c.岗位代号, QStringLiteral("P01"));
        QCOMPARE(c.岗位名称, QStringLiteral("出纳"));
        QCOMPARE(c.部门类别代号, QStringLiteral("01"));
        QCOMPARE(c.部门类别名称, QStringLiteral("机关"));
        QCOMPARE(c.岗位类别编号, QStringLiteral("1"));
        QCOMPARE(c.岗位类别名称, QStringLiteral("管理岗"));
    }

    void severalPostsAreOfferedAndChosenByDoubleClick()
    {
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u2"), QStringLiteral("pw2"));
        QVERIFY(!mainWindowShown());
        QVERIFY(login->List1->isVisible());
        QVERIFY(login->Label2->isVisible());
        QCOMPARE(login->Label2->text(), QStringLiteral("请您选择要登录的岗位"));
        QStringList lines;
        for (int i = 0; i < login->List1->count(); ++i)
            lines << login->List1->item(i)->text();
        lines.sort();
        QCOMPARE(lines, (QStringList{QStringLiteral("总务处 出纳(兼职)"), QStringLiteral("财务处 会计(主要)")}));

        const int partTime = login->List1->item(0)->text().contains(QStringLiteral("兼职")) ? 0 : 1;
        WindowDriver::doubleClickEntry(login->List1, login->List1->model()->index(partTime, 0));
        QVERIFY(mainWindowShown());
        QCOMPARE(OperatorContext().岗位代号, QStringLiteral("P01"));
        QCOMPARE(OperatorContext().姓名, QStringLiteral("李四"));
    }

    void goingBackToTheUserIdHidesThePostList()
    {
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u2"), QStringLiteral("pw2"));
        QVERIFY(login->List1->isVisible());
        login->activateWindow();
        login->TxtUser->setFocus();
        QApplication::processEvents();
        QTRY_VERIFY(!login->List1->isVisible());
        QVERIFY(!login->Label2->isVisible());
    }

    void trailingBlanks()
    {
        // Password blanks are trimmed before the database check; the user id goes as
        // typed (the database ignores trailing blanks) and is stored trimmed.
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u1  "), QStringLiteral("  pw1 "));
        QVERIFY(mainWindowShown());
        QCOMPARE(OperatorContext().工号, QStringLiteral("u1"));
    }

    void leftEmployeeAndEndedPostsHaveNoPost()
    {
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u3"), QStringLiteral("pw3"));
        signIn(login, QStringLiteral("u4"), QStringLiteral("pw4"));
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 2);
        for (const auto &r : shown) {
            QCOMPARE(r.text, QStringLiteral("对不起，您没有岗位，请选择系统管理员"));
            QCOMPARE(r.icon, Icon::None);
        }
        QVERIFY(!mainWindowShown());
    }

    void superUserNeedsOnlyTheConnection()
    {
        database->check().executeNative(QStringLiteral("delete from 员工档案"));
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QVERIFY(mainWindowShown());
        QCOMPARE(OperatorContext().工号, QStringLiteral("超级用户"));
        QVERIFY(OperatorContext().岗位代号.isEmpty());
        QVERIFY(DbConnection().isOpen());
    }

    void superUserPasswordIsComparedAsTyped()
    {
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("supVr"), QStringLiteral("tulipa "));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("用户名或密码不正确,请重新输入!")});
        QVERIFY(!mainWindowShown());
    }

    void superUserCanBeSwitchedOff()
    {
        QSettings(testSettingsFile(), QSettings::IniFormat).setValue(QStringLiteral("Tessaline/SuperUserEnabled"), QStringLiteral("0"));
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("supVr"), QStringLiteral("tulipa"));
        QVERIFY(!mainWindowShown());
    }

    void connectionFailureAfterOkEndsTheProgram()
    {
        pointSettingsAt(database->folder() + QStringLiteral("/missing.db"));
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("supVr"), QStringLiteral("tulipa"));
        const QStringList texts = shownTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].startsWith(QStringLiteral("错误信息：")));
        QCOMPARE(texts[1], QStringLiteral("数据库连接失败!"));
        QVERIFY(programEndRequested());
        QVERIFY(!mainWindowShown());
    }

    void failingQueryIsReportedWithNumberAndDescription()
    {
        database->check().executeNative(QStringLiteral("drop table 员工档案"));
        frmLogin *login = openLogin();
        signIn(login, QStringLiteral("u1"), QStringLiteral("pw1"));
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains(QStringLiteral("员工档案")));
        QVERIFY(shown[0].text.contains(QLatin1Char(' ')));
        QCOMPARE(shown[0].title, MessageBoxes::executableName());
        QVERIFY(login->isVisible());
    }

    void commandLineIdentitySkipsTheSignIn_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("expected");
        const QStringList ten = QStringLiteral("u9,周九,03,后勤处,P09,司机,02,后勤,2,工勤岗").split(QLatin1Char(','));
        QTest::newRow("ten fields") << ten.join(QLatin1Char(',')) << ten;
        QTest::newRow("eleventh ignored") << ten.join(QLatin1Char(',')) + QStringLiteral(",extra") << ten;
        QTest::newRow("fewer fields") << QStringLiteral("u9,周九 ,03")
                                      << (QStringList{QStringLiteral("u9"), QStringLiteral("周九 "), QStringLiteral("03"),
                                                      QString(), QString(), QString(), QString(), QString(), QString(), QString()});
    }

    void commandLineIdentitySkipsTheSignIn()
    {
        QFETCH(QString, arguments);
        QFETCH(QStringList, expected);
        LaunchArguments() = arguments;
        frmLogin *login = frmLogin::instance();
        QVERIFY(!login->Form_Load());
        QVERIFY(!login->isVisible());
        QVERIFY(mainWindowShown());
        QVERIFY(MessageBoxes::records().isEmpty());
        for (int i = 0; i < OperatorContextRecord::FieldCount; ++i)
            QCOMPARE(OperatorContext().field(i), expected[i]);
    }

    void commandLineWithFailingConnectionShowsTheWindow()
    {
        pointSettingsAt(database->folder() + QStringLiteral("/missing.db"));
        LaunchArguments() = QStringLiteral("u1,张三,01,总务处,P01,出纳,01,机关,1,管理岗");
        frmLogin *login = frmLogin::instance();
        QVERIFY(login->Form_Load());
        QCOMPARE(shownTexts().size(), 2);
        QCOMPARE(shownTexts()[1], QStringLiteral("数据库连接失败!"));
        QVERIFY(!mainWindowShown());
        QVERIFY(!programEndRequested());
    }

    void enterMovesOnLikeTab()
    {
        frmLogin *login = openLogin();
        login->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(login));
        login->TxtUser->setFocus();
        QTest::keyClick(login->TxtUser, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(login->txtPassword));
        QTest::keyClick(login->txtPassword, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(login->cmdOK));
        QVERIFY(MessageBoxes::records().isEmpty()); // Enter did not press OK
    }

    void enterOnASelectedPostChoosesIt_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("moveDown");
        QTest::newRow("Return on the first post") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << false;
        QTest::newRow("keypad Enter on the first post")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << false;
        QTest::newRow("Return after an arrow key") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
    }

    // The first post is selected as the list appears, so Enter at once chooses it; the
    // arrow keys choose another first.
    void enterOnASelectedPostChoosesIt()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, moveDown);
        frmLogin *login = showPostList();
        QVERIFY(login->List1->isVisible());
        // Should Enter run the sign-in again, this password would be refused.
        login->txtPassword->setText(QStringLiteral("nope"));
        QCOMPARE(login->List1->listIndex(), 0);
        QVERIFY(login->List1->item(0)->isSelected());

        if (moveDown)
            QTest::keyClick(login->List1, Qt::Key_Down);
        const int line = login->List1->listIndex();
        QCOMPARE(line, moveDown ? 1 : 0);
        const QString post = line == partTimeLine(login) ? QStringLiteral("P01") : QStringLiteral("P02");
        QTest::keyClick(login->List1, Qt::Key(key), modifiers);
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(mainWindowShown());
        QVERIFY(!login->isVisible());
        QCOMPARE(OperatorContext().岗位代号, post);
        QCOMPARE(OperatorContext().工号, QStringLiteral("u2"));
    }

    void controlCharactersNeverReachTheBoxes_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("paste") << QStringLiteral("paste");
        QTest::newRow("insert") << QStringLiteral("insert");
        QTest::newRow("input method") << QStringLiteral("input method");
        QTest::newRow("set text") << QStringLiteral("set text");
    }

    void controlCharactersNeverReachTheBoxes()
    {
        QFETCH(QString, way);
        frmLogin *login = openLogin();
        // NUL, tab, line breaks, a control and a format character go; a character
        // outside the basic plane (two UTF-16 units) stays whole.
        const QString typed = QStringLiteral("1") + QChar(u'\0') + QStringLiteral("\t2\r\n\x01") + QChar(0x200B)
                              + QStringLiteral("𠀀");
        const QString kept = QStringLiteral("12𠀀");
        for (QLineEdit *box : {login->TxtUser, login->txtPassword}) {
            QSignalSpy changes(box, &QLineEdit::textChanged);
            box->setText(QStringLiteral("ab"));
            box->setCursorPosition(1);
            if (way == QLatin1String("paste")) {
                QGuiApplication::clipboard()->setText(typed);
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            } else if (way == QLatin1String("insert")) {
                box->insert(typed);
            } else if (way == QLatin1String("input method")) {
                QInputMethodEvent commit;
                commit.setCommitString(typed);
                QApplication::sendEvent(box, &commit);
            } else {
                box->setText(QStringLiteral("a") + typed + QStringLiteral("b"));
            }
            QCOMPARE(box->text(), QStringLiteral("a") + kept + QStringLiteral("b"));
            // The cursor stays right after what was put in (at the end for a new text).
            QCOMPARE(box->cursorPosition(), way == QLatin1String("set text") ? box->text().size() : 1 + kept.size());
            // Nobody listening to the box ever saw a control character.
            for (const QList<QVariant> &change : std::as_const(changes))
                QVERIFY(!change.first().toString().contains(QChar(u'\0')));
        }
    }

    void pastedLineBreaksDoNotSpoilTheSignIn()
    {
        frmLogin *login = openLogin();
        QGuiApplication::clipboard()->setText(QStringLiteral("u1\r\n"));
        login->TxtUser->paste();
        QGuiApplication::clipboard()->setText(QStringLiteral("pw1\t"));
        login->txtPassword->paste();
        WindowDriver::click(login->cmdOK);
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(mainWindowShown());
        QCOMPARE(OperatorContext().工号, QStringLiteral("u1"));
    }

    void cancelAndEscapeEndTheProgram()
    {
        frmLogin *login = openLogin();
        WindowDriver::click(login->cmdCancel);
        QVERIFY(programEndRequested());
        resetProgramEndRequest();
        login = openLogin();
        QTest::keyClick(login, Qt::Key_Escape);
        QVERIFY(programEndRequested());
    }
};

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", testConfigHome().path().toUtf8());
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestLogin test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_login.moc"
