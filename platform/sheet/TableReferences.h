#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace sheet {

// The formula with every reference to one of `tables` (the table's name alone, or with
// its part in brackets: "tblExpenses[Amount]", "明细表[[#Headers],[金额]]") made "#REF!",
// as the spreadsheet program does when a table is deleted. Names compare without case;
// texts in quotes stay as they are. Nothing when the formula names none of the tables.
std::optional<QString> withoutTableReferences(const QString &formula, const QStringList &tables);

} // namespace sheet
