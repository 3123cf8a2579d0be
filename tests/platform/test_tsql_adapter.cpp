#include "platform/db/TsqlAdapter.h"

#include <QtTest>

using db::TsqlAdapter;

class TestTsqlAdapter : public QObject
{
    Q_OBJECT
private slots:
    void smoke()
    {
        QCOMPARE(TsqlAdapter::toSqlite(QStringLiteral("select 1")), QStringList{QStringLiteral("select 1")});
    }
};

QTEST_GUILESS_MAIN(TestTsqlAdapter)
#include "test_tsql_adapter.moc"
