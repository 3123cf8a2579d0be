#include "shell/AppState.h"
#include "shell/WindowRegistry.h"
#include "shell/frmLogin.h"
#include "stock/frm票据入库.h"

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
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    substituteFonts();
    registerWindows();

    // Everything after the program name is the launcher's operator identity.
    LaunchArguments() = app.arguments().mid(1).join(QLatin1Char(' '));

    frmLogin *login = frmLogin::instance();
    if (login->Form_Load())
        login->show();
    return app.exec();
}
