#pragma once

// The void report's statement the data-access benchmarks time: the property department's
// office, every charge item and payment method, the whole period of the office database.
#include "bench/OfficeData.h"
#include "report/VoidReportSql.h"

namespace bench {

inline QString propertyOfficeReportSql()
{
    const OfficeFacts &facts = officeFacts();
    VoidReportFilter filter;
    filter.officeCode = facts.propertyOffice;
    filter.firstDay = facts.firstDay;
    filter.lastDay = facts.today;
    filter.paymentMethods = facts.paymentMethods;
    filter.itemCodes = facts.itemCodes;
    return voidReportSql(filter);
}

} // namespace bench
