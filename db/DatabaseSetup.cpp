#include "db/DatabaseSetup.h"

#include "platform/db/Connection.h"

#include <QFile>

// Resources of a static library are registered on first use.
static void initDatabaseScripts()
{
    Q_INIT_RESOURCE(db);
}

namespace DatabaseSetup {
namespace {

QString resource(const QString &name)
{
    initDatabaseScripts();
    QFile file(QStringLiteral(":/db/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw db::DbError(QStringLiteral("缺少数据库脚本：%1").arg(name));
    return QString::fromUtf8(file.readAll());
}

void runScript(db::Connection &connection, const QString &script)
{
    connection.begin();
    try {
        for (const QString &statement : scriptStatements(script))
            connection.executeNative(statement);
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}

} // namespace

QStringList scriptStatements(const QString &script)
{
    QStringList statements;
    QString current;
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("--")) && current.trimmed().isEmpty())
            continue;
        current += line + QLatin1Char('\n');
        if (trimmed.endsWith(QLatin1Char(';'))) {
            current = current.trimmed();
            current.chop(1);
            if (!current.trimmed().isEmpty())
                statements << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QString sqliteSchemaScript()
{
    return resource(QStringLiteral("schema_sqlite.sql"));
}

QString sqlServerSchemaScript()
{
    return resource(QStringLiteral("schema_sqlserver.sql"));
}

QString demoDataScript()
{
    return resource(QStringLiteral("demo_data.sql"));
}

void createSchema(db::Connection &connection)
{
    runScript(connection, connection.dialect() == db::Connection::Dialect::Sqlite ? sqliteSchemaScript()
                                                                                  : sqlServerSchemaScript());
}

void loadDemoData(db::Connection &connection)
{
    runScript(connection, demoDataScript());
}

} // namespace DatabaseSetup
