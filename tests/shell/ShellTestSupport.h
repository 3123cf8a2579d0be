#pragma once

// Shared set-up of the sign-in and main window tests: a settings store in a folder of
// the test's own, pointing at a fresh database with a small organisation.
#include "ShownMessages.h"
#include "TestDatabase.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/MDIForm1.h"
#include "shell/Program.h"
#include "shell/WindowRegistry.h"
#include "shell/frmLogin.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

inline QTemporaryDir &testConfigHome()
{
    static QTemporaryDir dir;
    return dir;
}

inline QString testSettingsFile()
{
    return testConfigHome().filePath(QStringLiteral("VB and VBA Program Settings/Veldrin2011.conf"));
}

// Points the settings at a database file (an empty name leaves the connection failing).
inline void pointSettingsAt(const QString &databaseFile)
{
    QFile::remove(testSettingsFile());
    QSettings settings(testSettingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("DBConfig/DBname"), databaseFile);
    settings.setValue(QStringLiteral("Tessaline/Backend"), QStringLiteral("sqlite"));
}

// The settings for the TDS test server in front of the test's database.
inline void pointSettingsAtServer(const TdsTestServer &server)
{
    QFile::remove(testSettingsFile());
    QSettings settings(testSettingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("DBConfig/Svr"), server.serverName());
    settings.setValue(QStringLiteral("DBConfig/UID"), TdsTestServer::user());
    settings.setValue(QStringLiteral("DBConfig/PWD"), TdsTestServer::password());
    settings.setValue(QStringLiteral("DBConfig/DBname"), TdsTestServer::databaseName());
    settings.setValue(QStringLiteral("Tessaline/Backend"), QStringLiteral("sqlserver"));
    settings.setValue(QStringLiteral("Tessaline/OdbcDriver"), TdsTestServer::driverName());
}

// Departments, categories, employees and posts for the sign-in paths:
//   u1 / pw1: one current post (01 总务处 出纳, main)
//   u2 / pw2: two current posts (main 财务处 会计, part-time 总务处 出纳) and one ended holding
//   u3 / pw3: has left
//   u4 / pw4: only an ended holding
inline void addOrganisation(TestDatabase &db)
{
    addDepartmentCategory(db, QStringLiteral("01"), QStringLiteral("机关"));
    addPostCategory(db, QStringLiteral("1"), QStringLiteral("管理岗"));
    addDepartment(db, QStringLiteral("01"), QStringLiteral("总务处"));
    addDepartment(db, QStringLiteral("02"), QStringLiteral("财务处"));
    addEmployee(db, QStringLiteral("u1"), QStringLiteral("张三"), QStringLiteral("pw1"));
    addEmployee(db, QStringLiteral("u2"), QStringLiteral("李四"), QStringLiteral("pw2"));
    addEmployee(db, QStringLiteral("u3"), QStringLiteral("王五"), QStringLiteral("pw3"), QStringLiteral("2025-06-30"));
    addEmployee(db, QStringLiteral("u4"), QStringLiteral("赵六"), QStringLiteral("pw4"));
    addPost(db, QStringLiteral("P01"), QStringLiteral("出纳"), QStringLiteral("01"));
    addPost(db, QStringLiteral("P02"), QStringLiteral("会计"), QStringLiteral("02"));
    addPost(db, QStringLiteral("P03"), QStringLiteral("审核"), QStringLiteral("02"));
    addPostHolder(db, QStringLiteral("u1"), QStringLiteral("P01"), true);
    addPostHolder(db, QStringLiteral("u2"), QStringLiteral("P02"), true);
    addPostHolder(db, QStringLiteral("u2"), QStringLiteral("P01"), false);
    addPostHolder(db, QStringLiteral("u2"), QStringLiteral("P03"), true, QStringLiteral("2025-01-01"));
    addPostHolder(db, QStringLiteral("u3"), QStringLiteral("P01"), true);
    addPostHolder(db, QStringLiteral("u4"), QStringLiteral("P03"), true, QStringLiteral("2025-01-01"));
}

inline void grant(TestDatabase &db, const QString &post, const QString &group, const QString &entry,
                  const QVariant &popedom)
{
    db.insert(QStringLiteral("岗位权限设置"), {{QStringLiteral("组代号"), group},
                                                {QStringLiteral("岗位代号"), post},
                                                {QStringLiteral("授权"), 1}});
    db.insert(QStringLiteral("GroupPrivilege"), {{QStringLiteral("GroupID"), group},
                                                 {QStringLiteral("FormName"), entry},
                                                 {QStringLiteral("Popedom"), popedom}});
}

// A fresh program state for each test.
inline void resetShell()
{
    MDIForm1::destroyInstance();
    frmLogin::destroyInstance();
    resetAppState();
    resetProgramEndRequest();
    MessageBoxes::startScripting();
}

// The database of one test, with the organisation above and the settings pointing at it.
struct ShellFixture
{
    std::unique_ptr<TestDatabase> database;

    void start()
    {
        resetShell();
        database = std::make_unique<TestDatabase>();
        addOrganisation(*database);
        if (database->overTheWire())
            pointSettingsAtServer(database->server());
        else
            pointSettingsAt(database->path());
    }

    void finish()
    {
        resetShell();
        MessageBoxes::stopScripting();
        database.reset();
    }
};

