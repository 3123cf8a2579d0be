#pragma once

#include <QString>

// The shared module that opens the database connection.
namespace Connection {

// Opens a new DbConnection (the previous one is released) and returns true when it
// is open. A failure is reported to the operator ("错误信息：" + description, title
// "信息文本") and gives false.
//
// On SQL Server the connection goes through ODBC; on the embedded SQLite database
// databaseName is the database file (relative to the settings file's folder).
bool OpenDbConnection(const QString &userId, const QString &password, const QString &databaseName,
                      const QString &server);

// The ODBC connection text for SQL Server; every value is quoted by ODBC's rules, so
// a ";" in a password or a quote in a name still reaches the right attribute.
QString odbcConnectionText(const QString &driver, const QString &userId, const QString &password,
                           const QString &databaseName, const QString &server);

} // namespace Connection

// Reads OrganisationName and the connection settings and opens the connection; on
// failure also tells the operator "数据库连接失败!" (title "连接提示"). Owned by the
// login window, which calls it at start-up and at every press of OK.
bool ConnectWithSettings();
