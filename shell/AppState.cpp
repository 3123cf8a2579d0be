#include "shell/AppState.h"

QString &OperatorContextRecord::field(int i)
{
    QString *fields[FieldCount] = {&工号, &姓名, &职能部门编号, &职能部门名称, &岗位代号,
                                   &岗位名称, &部门类别代号, &部门类别名称, &岗位类别编号, &岗位类别名称};
    return *fields[i];
}

const QString &OperatorContextRecord::field(int i) const
{
    return const_cast<OperatorContextRecord *>(this)->field(i);
}

void OperatorContextRecord::clear()
{
    *this = OperatorContextRecord{};
}

namespace {

struct AppState
{
    OperatorContextRecord operatorContext;
    QString launchArguments;
    QString organisationName;
    std::unique_ptr<db::Connection> connection = std::make_unique<db::Connection>();
};

AppState &state()
{
    static AppState s;
    return s;
}

} // namespace

OperatorContextRecord &OperatorContext()
{
    return state().operatorContext;
}

QString &LaunchArguments()
{
    return state().launchArguments;
}

QString &OrganisationName()
{
    return state().organisationName;
}

db::Connection &DbConnection()
{
    return *state().connection;
}

void setDbConnection(std::unique_ptr<db::Connection> connection)
{
    state().connection = connection ? std::move(connection) : std::make_unique<db::Connection>();
}

void resetAppState()
{
    state().operatorContext.clear();
    state().launchArguments.clear();
    state().organisationName.clear();
    setDbConnection(nullptr);
}
