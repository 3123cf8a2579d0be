#pragma once

#include "platform/db/Connection.h"
#include "platform/db/ResultTable.h"
#include "report/VoidReportSql.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// What the operator asked the void statistics report for.
struct VoidReportRequest
{
    std::optional<QString> officeCode;          // GYD_DH of the chosen office; none chosen: nothing is reported
    std::optional<QStringList> paymentMethods;  // the chosen method, or every listed one; none chosen: nothing
    QStringList itemCodes;                      // the ticked charge items
    QDate firstDay, lastDay;                    // void dates, whole days
    VoidReportFilter::Mode mode = VoidReportFilter::AllOfOfficeDepartment;
    QString cashier;                            // empty: every cashier
    QString departmentCode;                     // the operator's department
};

// Why a request is not reported.
enum class VoidReportCheck { Passed, NothingChosen, DaysReversed, NoItem, NoPaymentMethod };

// The void statistics report of one request: its checks, then its statement read into
// the typed table. No widget: the window maps its controls to the request and the
// check's message to a message box.
class VoidReport
{
public:
    explicit VoidReport(const VoidReportRequest &request);

    VoidReportCheck check() const { return m_check; }
    // What to tell the operator when a check stopped the report (empty for none).
    QString message() const;
    // The statement of a request that passed the checks.
    const QString &statement() const { return m_statement; }

    // The lines of the statement. `answered` runs once the engine has answered, before
    // any line is read: the caller lets its previous lines go there, and a statement
    // that fails leaves them. Throws db::DbError.
    std::shared_ptr<const db::ResultTable> read(db::Connection &connection,
                                                const std::function<void()> &answered = {}) const;

private:
    VoidReportCheck checked(const VoidReportRequest &request) const;

    VoidReportCheck m_check;
    QString m_statement;
};
