#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The statements of the approval path window and its node editor.

// ---- paths
// The department categories in force.
QString departmentCategoriesSql();
// The paths in force of one restoration type, by code.
QString pathsInForceSql(const QString &restorationType);
// Every path with a code, terminated ones included (adding a path checks the code is
// unused; appending a node checks its path is still there).
QString pathByCodeSql(const QString &code);
// One path by its ID (for editing it).
QString pathByIdSql(qlonglong id);
// Ends a path on a day.
QString terminatePathSql(const QString &code, const QDate &day);
// Removes a path and all its nodes, as one batch.
QString deletePathSql(const QString &code);

// ---- nodes
// The departments in force with their current parent (the latest 起始日期), in display order.
QString departmentsInForceSql();
// The posts in force of a department in force, with the employee in each post.
QString postsOfDepartmentSql(const QString &departmentCode);
// The nodes of a path that still name a department and a post, by position.
QString nodesOfPathSql(const QString &pathCode);
// An empty recordset on the nodes table, for adding a node.
QString newNodeSql();
QString deleteNodeSql(qlonglong id);
// The stored position of one node.
QString nodePositionSql(qlonglong id);
// Closes the gap a removed node left: the nodes after it move up one place.
QString closeGapSql(const QString &pathCode, int removedPosition);
// Stores the order of a node list: the node with the i-th ID gets position i + 1.
QString reorderNodesSql(const QList<qlonglong> &ids);
