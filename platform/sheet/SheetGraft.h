#pragma once

#include "platform/sheet/ZipPackage.h"

#include <QString>

namespace sheet {

// Putting one worksheet, written by libxlsxwriter into a workbook of its own (the
// scratch), into an existing workbook package.

// Throws WorkbookError unless `target` is a workbook whose sheet called `sheetName`
// (compared without case), if it has one, is a worksheet. `fileName` names the file
// in the message.
void checkWorkbook(const ZipPackage &target, const QString &sheetName, const QString &fileName);

// The changes to `target` that give its sheet `sheetName` the cells, formats, merges
// and column widths of the scratch's sheet, in the old sheet's place, or add it as a
// new last sheet. The scratch's cell formats are added to the target's styles (or
// found there); its strings are inline, so the shared strings stay as they are.
// Of the old sheet, what does not belong to its cells stays: view, page setup,
// header and footer, pictures and the widths of the columns after the written ones.
PackageChanges graftSheet(const ZipPackage &target, const ZipPackage &scratch, const QString &sheetName,
                          const QString &fileName);

} // namespace sheet
