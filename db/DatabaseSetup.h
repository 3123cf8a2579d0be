#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

// Creates the embedded database for the demo and the tests. The program itself
// never creates tables: the suite's database already has them.
namespace DatabaseSetup {

// The statements of a script file: split at each ";" that ends a line.
QStringList scriptStatements(const QString &script);

// The schema of every table the program reads or writes, with its indexes.
void createSchema(db::Connection &connection);
// The demo organisation, its bills, books and applications.
void loadDemoData(db::Connection &connection);

QString sqliteSchemaScript();
QString sqlServerSchemaScript();
QString demoDataScript();

} // namespace DatabaseSetup
