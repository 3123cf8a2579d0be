#include "shell/DbSettings.h"

#include "platform/settings/SettingsStore.h"

QString settingsApplication()
{
    return QStringLiteral("Veldrin2011");
}

QString localSection()
{
    return QStringLiteral("Tessaline");
}

DbSettingsRecord readDbSettings()
{
    const QString app = settingsApplication();
    const QString section = QStringLiteral("DBConfig");
    return DbSettingsRecord{SettingsStore::GetSetting(app, section, QStringLiteral("Svr")),
                            SettingsStore::GetSetting(app, section, QStringLiteral("UID")),
                            SettingsStore::GetSetting(app, section, QStringLiteral("PWD")),
                            SettingsStore::GetSetting(app, section, QStringLiteral("DBname"))};
}

LocalSettings readLocalSettings()
{
    const QString app = settingsApplication();
    auto get = [&](const char *key, const QString &fallback = QString()) {
        return SettingsStore::GetSetting(app, localSection(), QLatin1String(key), fallback);
    };
    LocalSettings local;
    const QString backend = get("Backend").trimmed().toLower();
    if (backend == QLatin1String("sqlite"))
        local.backend = LocalSettings::Backend::Sqlite;
    else if (backend == QLatin1String("sqlserver"))
        local.backend = LocalSettings::Backend::SqlServer;
    else
        local.backend = readDbSettings().Svr.isEmpty() ? LocalSettings::Backend::Sqlite
                                                       : LocalSettings::Backend::SqlServer;
    local.odbcDriver = get("OdbcDriver", QStringLiteral("FreeTDS"));
    bool ok = false;
    const int timeout = get("LoginTimeout").toInt(&ok);
    local.loginTimeoutSeconds = ok && timeout > 0 ? timeout : 15;
    local.organisationName = get("OrganisationName");
    const QString superUser = get("SuperUserEnabled").trimmed().toLower();
    local.superUserEnabled = !(superUser == QLatin1String("0") || superUser == QLatin1String("false")
                               || superUser == QLatin1String("no"));
    local.superUserPassword = get("SuperUserPassword", QStringLiteral("tulipa"));
    local.contactUrl = get("ContactUrl", QStringLiteral("https://tessaline.example.com/contact"));
    return local;
}
