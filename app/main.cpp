#include "shell/AppState.h"
#include "shell/MDIForm1.h"
#include "shell/Program.h"
#include "shell/WindowRegistry.h"
#include "shell/frmLogin.h"
#include "report/frm收款日报表.h"
#include "restore/Frm票据作废恢复申请.h"
#include "restore/frm恢复流程设置.h"
#include "restore/frm申请详细.h"
#include "stock/frm票据入库.h"
#include "usage/frm票据反核销.h"
#include "usage/frm票据核销.h"

#include <QApplication>
#include <QFont>

namespace {

// The windows name their fonts as the Chinese desktop does; map them to the fonts
// this system has.
void substituteFonts()
{
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                              QStringLiteral("WenQuanYi Zen Hei")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("WenQuanYi Zen Hei")});
}

// Each menu entry of the main window and the window it opens.
void registerWindows()
{
    using Placement = WindowEntry::Placement;
    registerWindow({QStringLiteral("全电票入库"), [] { return new frm票据入库; }, Placement::MaximizedChild});
    registerWindow({QStringLiteral("票据使用情况查询"), [] { return new frm票据核销; }, Placement::MaximizedChild});
    registerWindow({QStringLiteral("票据反核销"), [] { return new frm票据反核销; }, Placement::Child});
    registerWindow({QStringLiteral("票据作废恢复申请"), [] { return new Frm票据作废恢复申请; }, Placement::TopLevel});
    registerWindow({QStringLiteral("票据作废恢复审批"), [] { return new frm申请详细; }, Placement::Child});
    registerWindow({QStringLiteral("票据作废查询"), [] { return new frm收款日报表; }, Placement::MaximizedChild});
    registerWindow({QStringLiteral("恢复路径设置"), [] { return new frm恢复流程设置; }, Placement::Child});
}

// Everything after the program name is the launcher's operator identity, read before
// Qt takes the options it knows (such as -reverse) out of the command line.
QString launcherIdentity(int argc, char **argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words.join(QLatin1Char(' '));
}

// The windows and the connection go before the application object: Qt's SQL
// connection registry and the window system must still exist when they are released.
void releaseWindowsAndConnection()
{
    MDIForm1::destroyInstance();
    frmLogin::destroyInstance();
    resetAppState();
}

} // namespace

int main(int argc, char **argv)
{
    const QString identity = launcherIdentity(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    installQtTranslations();
    substituteFonts();
    registerWindows();

    LaunchArguments() = identity;

    frmLogin *login = frmLogin::instance();
    if (login->Form_Load())
        login->show();
    const int status = app.exec();
    releaseWindowsAndConnection();
    return status;
}
