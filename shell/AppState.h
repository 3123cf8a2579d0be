#pragma once

#include "platform/db/Connection.h"

#include <QString>
#include <memory>

// The current operator: written only by the login window, read by every window.
struct OperatorContextRecord
{
    QString 工号;
    QString 姓名;
    QString 职能部门编号;
    QString 职能部门名称;
    QString 岗位代号;
    QString 岗位名称;
    QString 部门类别代号;
    QString 部门类别名称;
    QString 岗位类别编号;
    QString 岗位类别名称;

    static constexpr int FieldCount = 10;
    // Field i (0-based) in the order of the command line.
    QString &field(int i);
    const QString &field(int i) const;
    void clear();
};

// The shared state of the run. Tests reset it with resetAppState().
OperatorContextRecord &OperatorContext();
// The command-line text; non-empty when the suite's launcher started the program.
QString &LaunchArguments();
// The organisation's name, printed at the top of every printed page.
QString &OrganisationName();
// The one shared database connection. Never null: before the first sign-in it is a
// connection that is not open.
db::Connection &DbConnection();
void setDbConnection(std::unique_ptr<db::Connection> connection);

void resetAppState();
