#pragma once

// The tables a restoration application writes, to compare before and after a submission.
#include "TestDatabase.h"

#include <QStringList>

using namespace Qt::StringLiterals;

// Every row of the application, its steps, its route and its lines, each table closed by "--".
inline QStringList workflowTables(TestDatabase &database)
{
    QStringList all;
    for (const QString &table : {u"作废恢复审批单"_s, u"作废恢复审批"_s, u"作废恢复审批流程"_s, u"票据作废恢复明细"_s})
        all << database.rows(u"select * from %1 order by ID"_s.arg(table)) << u"--"_s;
    return all;
}
