#include "shell/Connection.h"

#include "platform/db/Connection.h"
#include "platform/db/SqlText.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/DbSettings.h"

#include <QDir>
#include <QFileInfo>

namespace Connection {
namespace {

QString sqliteFile(const QString &databaseName)
{
    if (databaseName.isEmpty() || QFileInfo(databaseName).isAbsolute())
        return databaseName;
    const QDir settingsFolder = QFileInfo(SettingsStore::location(settingsApplication())).absoluteDir();
    return settingsFolder.absoluteFilePath(databaseName);
}

} // namespace

QString odbcConnectionText(const QString &driver, const QString &userId, const QString &password,
                           const QString &databaseName, const QString &server)
{
    const bool freeTds = driver.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive)
        || driver.contains(QLatin1String("tdsodbc"), Qt::CaseInsensitive);
    auto value = [freeTds](const QString &v) { return db::odbcValue(v, !freeTds); };
    QString driverName = driver;
    driverName.replace(QLatin1Char('}'), QStringLiteral("}}"));
    QString text = QStringLiteral("DRIVER={%1};SERVER=%2;UID=%3;PWD=%4;DATABASE=%5;")
                       .arg(driverName, value(server), value(userId), value(password), value(databaseName));
    // FreeTDS talks to the server in UTF-8 only when told; Chinese names need it. Its
    // automatic TDS version tries 7.4 and, when that login fails or times out, logs in
    // again as a Sybase server (TDS 5.0), which after a second time-out can hang for good;
    // SQL Server answers a 7.4 login with the version it speaks, so 7.4 is asked for.
    if (freeTds)
        text += QStringLiteral("ClientCharset=UTF-8;TDS_Version=7.4;");
    return text;
}

bool OpenDbConnection(const QString &userId, const QString &password, const QString &databaseName,
                      const QString &server)
{
    setDbConnection(nullptr);
    try {
        const LocalSettings local = readLocalSettings();
        if (local.backend == LocalSettings::Backend::Sqlite) {
            setDbConnection(db::Connection::openSqlite(sqliteFile(databaseName), local.loginTimeoutSeconds));
        } else {
            const QString text = odbcConnectionText(local.odbcDriver, userId, password, databaseName, server);
            setDbConnection(db::Connection::openOdbc(text, local.loginTimeoutSeconds));
        }
        return true;
    } catch (const db::DbError &error) {
        MessageBoxes::show(nullptr, QStringLiteral("错误信息：") + error.description(), QStringLiteral("信息文本"),
                           MessageBoxes::Icon::Information);
        return false;
    }
}

} // namespace Connection

bool ConnectWithSettings()
{
    OrganisationName() = readLocalSettings().organisationName;
    const DbSettingsRecord settings = readDbSettings();
    if (!Connection::OpenDbConnection(settings.UID, settings.PWD, settings.DBname, settings.Svr)) {
        MessageBoxes::show(nullptr, QStringLiteral("数据库连接失败!"), QStringLiteral("连接提示"),
                           MessageBoxes::Icon::Information);
        return false;
    }
    return true;
}
