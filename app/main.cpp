#include "shell/AppState.h"
#include "shell/Connection.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>

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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    substituteFonts();

    // Everything after the program name is the launcher's operator identity.
    QStringList args = app.arguments().mid(1);
    LaunchArguments() = args.join(QLatin1Char(' '));

    if (!ConnectWithSettings())
        return 1;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tessaline"));
    auto *label = new QLabel(QStringLiteral("数据库已连接。"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
