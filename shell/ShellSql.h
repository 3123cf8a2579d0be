#pragma once

#include <QString>

// The statements of the sign-in and of the main window's permissions.

// The employee with this user id (as typed) and password (trimmed by the caller).
QString employeeLookupSql(const QString &user, const QString &password);
// The current posts of an employee who has not left, with their department and categories.
QString currentPostsSql(const QString &user);
// The menu entries the permission groups of a post grant or refuse, refusals first.
QString permissionsSql(const QString &post);
