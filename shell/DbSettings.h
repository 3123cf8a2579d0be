#pragma once

#include <QString>

// The four connection settings the suite's installer places in the settings store
// (application "Veldrin2011", section "DBConfig"); absent keys read as empty text.
struct DbSettingsRecord
{
    QString Svr;
    QString UID;
    QString PWD;
    QString DBname;
};

DbSettingsRecord readDbSettings();

// Settings of this program's own, in section "Tessaline" of the same application.
struct LocalSettings
{
    enum class Backend { Sqlite, SqlServer };
    // "Backend": "sqlite" or "sqlserver"; when absent, SQL Server if "Svr" is set, else SQLite.
    Backend backend = Backend::Sqlite;
    // "OdbcDriver": the ODBC driver for SQL Server (default FreeTDS).
    QString odbcDriver;
    // "LoginTimeout": seconds to wait for the database (default 15).
    int loginTimeoutSeconds = 15;
    // "OrganisationName": printed at the top of every printed page (default empty).
    QString organisationName;
    // "SuperUserEnabled": "0" or "false" switches the built-in super-user off.
    bool superUserEnabled = true;
    // "SuperUserPassword": replaces the super-user's built-in password.
    QString superUserPassword;
    // "ContactUrl": the maker's web page opened by the contact entry.
    QString contactUrl;
};

LocalSettings readLocalSettings();

QString settingsApplication();
QString localSection();
