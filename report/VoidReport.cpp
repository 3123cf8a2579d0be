#include "report/VoidReport.h"

VoidReport::VoidReport(const VoidReportRequest &request) : m_check(checked(request))
{
    if (m_check != VoidReportCheck::Passed)
        return;
    VoidReportFilter filter;
    filter.mode = request.mode;
    filter.officeCode = *request.officeCode;
    filter.departmentCode = request.departmentCode;
    filter.firstDay = request.firstDay;
    filter.lastDay = request.lastDay;
    filter.paymentMethods = *request.paymentMethods;
    filter.itemCodes = request.itemCodes;
    filter.cashier = request.cashier;
    m_statement = voidReportSql(filter);
}

// In the order the operator is told: the days before the items before the methods.
VoidReportCheck VoidReport::checked(const VoidReportRequest &request) const
{
    if (!request.officeCode || !request.paymentMethods)
        return VoidReportCheck::NothingChosen;
    if (request.firstDay > request.lastDay)
        return VoidReportCheck::DaysReversed;
    if (request.itemCodes.isEmpty())
        return VoidReportCheck::NoItem;
    if (request.paymentMethods->isEmpty())
        return VoidReportCheck::NoPaymentMethod;
    return VoidReportCheck::Passed;
}

QString VoidReport::message() const
{
    switch (m_check) {
    case VoidReportCheck::DaysReversed:
        return QStringLiteral("作废日期起始日期不能大于终止日期，请重新选择！");
    case VoidReportCheck::NoItem:
        return QStringLiteral("请选择收费项目！");
    case VoidReportCheck::NoPaymentMethod:
        return QStringLiteral("没有可统计的收款方式，请先在收款方式列表中设置收款方式！");
    case VoidReportCheck::Passed:
    case VoidReportCheck::NothingChosen:
        break;
    }
    return QString();
}

std::shared_ptr<const db::ResultTable> VoidReport::read(db::Connection &connection,
                                                        const std::function<void()> &answered) const
{
    if (m_check != VoidReportCheck::Passed)
        return std::make_shared<const db::ResultTable>();
    return std::make_shared<const db::ResultTable>(connection.openTable(m_statement, answered));
}
