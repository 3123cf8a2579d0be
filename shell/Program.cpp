#include "shell/Program.h"

#include "platform/sheet/FileAccess.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QLibraryInfo>
#include <QTranslator>
#include <QVersionNumber>

namespace {

bool &endRequested()
{
    static bool requested = false;
    return requested;
}

QString &folderOverride()
{
    static QString folder;
    return folder;
}

QVersionNumber programVersion()
{
    const QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    return v.isNull() ? QVersionNumber(1, 0, 0) : v;
}

} // namespace

void EndProgram()
{
    static bool ending = false;
    if (ending)
        return; // a window closing during the shutdown asks again
    ending = true;
    endRequested() = true;
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->closeAllWindows();
    QCoreApplication::exit(0);
    ending = false;
}

bool installQtTranslations()
{
    static QTranslator *installed = nullptr;
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

bool programEndRequested()
{
    return endRequested();
}

void resetProgramEndRequest()
{
    endRequested() = false;
}

// Where the program's own files are: beside the program in a build folder, or in the
// shared data folder of an installed program (/usr/bin/tessaline: /usr/share/tessaline).
QString programFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(beside + QStringLiteral("/MDI.BMP")))
        return beside;
    return QDir::cleanPath(beside + QStringLiteral("/../share/tessaline"));
}

void setProgramFolderForTests(const QString &folder)
{
    folderOverride() = folder;
}

QString writableProgramFolder()
{
    // Judged by the folder's permissions, not by whether root could write there anyway.
    const QString folder = programFolder();
    if (sheet::userMayWrite(folder))
        return folder;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (own.isEmpty() || !QDir().mkpath(own) || !sheet::userMayWrite(own))
        return QString();
    return own;
}

QString versionLabelText()
{
    const QVersionNumber v = programVersion();
    return QStringLiteral("V%1.%2版").arg(v.majorVersion()).arg(v.minorVersion());
}

QString fullVersionText()
{
    const QVersionNumber v = programVersion();
    return QStringLiteral("%1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion());
}

Hourglass::Hourglass()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

Hourglass::~Hourglass()
{
    QApplication::restoreOverrideCursor();
}
