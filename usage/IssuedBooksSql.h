#pragma once

#include <QString>

// The statements of the usage window.

// The bill types, for the type filter.
QString usageBillTypesSql();
// The operator's own department, the root of the department tree.
QString operatorDepartmentSql(const QString &departmentCode);
// The issue lines of the books a department still holds (issued, not returned), with
// the usage figures of each book. An empty type name means every type ("全部").
QString issuedBooksSql(const QString &departmentCode, const QString &typeName);
// The bills of one book, for its details window.
QString billsOfBookDetailsSql(const QString &bookNumber);
