#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The statements of the void statistics report.

// The management offices of a department.
QString officesOfDepartmentSql(const QString &departmentCode);
// The charge categories in force, and the items in force of one category.
QString chargeCategoriesSql();
QString chargeItemsOfCategorySql(const QString &category);
QString paymentMethodsSql();
// The holders of the posts of a department, in post order.
QString cashiersOfDepartmentSql(const QString &departmentCode);

// What the report is filtered by.
struct VoidReportFilter
{
    enum Mode { AllOfOfficeDepartment = 0, DepartmentWithoutOffice = 1, OfficeOnly = 2 };
    Mode mode = AllOfOfficeDepartment;
    QString officeCode;       // GYD_DH
    QString departmentCode;   // the operator's department (mode 1)
    QDate firstDay, lastDay;  // void dates, whole days
    QStringList paymentMethods;
    QStringList itemCodes;
    QString cashier;          // empty: every cashier
};

// The lines of the voided bills the filter selects, by book, bill and payer.
QString voidReportSql(const VoidReportFilter &filter);
