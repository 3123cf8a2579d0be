// tessaline-makedb FILE [--demo]
// Creates a new SQLite database with the program's tables and, with --demo, the demo data.
#include "db/DatabaseSetup.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
        err << "usage: tessaline-makedb FILE [--demo]\n";
        return 2;
    }
    try {
        auto connection = db::Connection::createSqlite(args.first());
        DatabaseSetup::createSchema(*connection);
        if (args.contains(QStringLiteral("--demo")))
            DatabaseSetup::loadDemoData(*connection);
    } catch (const db::DbError &error) {
        err << error.description() << "\n";
        return 1;
    }
    return 0;
}
