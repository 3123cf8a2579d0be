// Loaded into the real program (LD_PRELOAD) by test_exit_paths: drives the program's
// windows to one way of ending, chosen by TESSALINE_DRIVE, through their named
// controls, the way an operator would. The program itself is not changed.
//
//   quit            main window: 退出系统 -> 退出
//   close           main window: closed by its frame
//   esc-after-fail  login: a wrong password, OK, the message box answered, then Esc
//   cancel-logoff   main window: 注销, then 退出 at the login window
// Without a launcher identity the operator signs in first (user TESSALINE_DRIVE_USER).
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

QWidget *topLevel(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

void say(const char *step)
{
    std::fprintf(stderr, "DRIVE: %s\n", step);
    std::fflush(stderr);
}

// One driving session: a list of steps, each tried every 50 ms until it succeeds.
class Driver : public QObject
{
public:
    Driver(const QString &plan, QObject *parent) : QObject(parent), m_plan(plan)
    {
        m_user = qEnvironmentVariable("TESSALINE_DRIVE_USER", QStringLiteral("1001"));
        m_password = qEnvironmentVariable("TESSALINE_DRIVE_PASSWORD", QStringLiteral("123"));
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &Driver::tick);
        timer->start(50);
    }

private:
    void tick()
    {
        if (m_busy)
            return;
        m_busy = true; // a step may open a nested event loop (a modal box)
        step();
        m_busy = false;
    }

    // Answers any message box that is up, so that the next step can go on.
    bool answerMessageBox()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return false;
        std::fprintf(stderr, "DRIVE: message box answered: %s\n", qPrintable(box->text()));
        box->done(QMessageBox::Ok);
        return true;
    }

    bool signIn(const QString &password)
    {
        QWidget *login = topLevel("frmLogin");
        if (!login)
            return false;
        login->findChild<QLineEdit *>(QStringLiteral("TxtUser"))->setText(m_user);
        login->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(password);
        say("sign in");
        QTimer::singleShot(0, login->findChild<QPushButton *>(QStringLiteral("cmdOK")), &QPushButton::click);
        return true;
    }

    bool choosePostIfAsked()
    {
        QWidget *login = topLevel("frmLogin");
        auto *posts = login ? login->findChild<QListWidget *>(QStringLiteral("List1")) : nullptr;
        if (!posts || !posts->isVisible() || posts->count() == 0)
            return false;
        posts->setCurrentRow(0);
        say("post chosen");
        QMetaObject::invokeMethod(login, "List1_DblClick", Qt::QueuedConnection);
        return true;
    }

    bool mainWindowShown() { return topLevel("MDIForm1") != nullptr; }

    bool trigger(const char *entry)
    {
        QWidget *main = topLevel("MDIForm1");
        if (!main)
            return false;
        for (QAction *action : main->findChildren<QAction *>())
            if (action->objectName() == QString::fromUtf8(entry)) {
                say(entry);
                QTimer::singleShot(0, action, &QAction::trigger);
                return true;
            }
        return false;
    }

    void step()
    {
        const bool silent = !qEnvironmentVariableIsEmpty("TESSALINE_DRIVE_SILENT");
        switch (m_step) {
        case 0: // signed in, or at the login window
            if (m_plan == QLatin1String("esc-after-fail")) {
                if (signIn(QStringLiteral("not-the-password")))
                    m_step = 10;
                return;
            }
            if (silent) {
                if (mainWindowShown())
                    m_step = 2;
                return;
            }
            if (signIn(m_password))
                m_step = 1;
            return;
        case 1:
            if (answerMessageBox())
                return;
            if (mainWindowShown())
                m_step = 2;
            else
                choosePostIfAsked();
            return;
        case 2:
            if (m_plan == QLatin1String("quit")) {
                if (trigger("退出"))
                    m_step = 99;
            } else if (m_plan == QLatin1String("close")) {
                say("main window closed");
                QTimer::singleShot(0, topLevel("MDIForm1"), &QWidget::close);
                m_step = 99;
            } else if (m_plan == QLatin1String("cancel-logoff")) {
                if (trigger("注销"))
                    m_step = 20;
            }
            return;
        case 10: // the refusal of the wrong password, then Esc
            if (answerMessageBox())
                m_step = 11;
            return;
        case 11:
            if (QWidget *login = topLevel("frmLogin")) {
                say("escape");
                QTest::keyClick(login, Qt::Key_Escape);
                m_step = 99;
            }
            return;
        case 20: // the login window of the switch
            if (QWidget *login = topLevel("frmLogin"); login && QApplication::activeModalWidget() == login) {
                say("cancel");
                QTimer::singleShot(0, login->findChild<QPushButton *>(QStringLiteral("cmdCancel")),
                                   &QPushButton::click);
                m_step = 99;
            }
            return;
        default:
            return;
        }
    }

    QString m_plan;
    QString m_user;
    QString m_password;
    int m_step = 0;
    bool m_busy = false;
};

void startDriver()
{
    const QString plan = qEnvironmentVariable("TESSALINE_DRIVE");
    if (plan.isEmpty())
        return;
    new Driver(plan, QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriver)
