"""Makes the existing workbook the export tests write into.

    ExcelFixture.py FILE [--prefixed]

Three sheets: "封面" with styles of its own (bold type, a fill, a number format, a
wide column); "作废统计报表", the sheet an export replaces, holding more cells than an
export writes, a merge, a comment, a frozen pane and a wide column far to the right;
"汇总" with formulas over the other sheets. A defined name points into "汇总".
With --prefixed the workbook's XML names its elements with a namespace prefix
("x:worksheet"), as some other programs write it.
"""
import sys
import xml.etree.ElementTree as ET
import zipfile

from openpyxl import Workbook
from openpyxl.comments import Comment
from openpyxl.styles import Font, PatternFill
from openpyxl.workbook.defined_name import DefinedName


def main():
    wb = Workbook()
    cover = wb.active
    cover.title = "封面"
    cover["A1"] = "财务处票据台账"
    cover["A1"].font = Font(b=True, sz=16)
    cover["A1"].fill = PatternFill("solid", fgColor="FFFFFF00")
    cover["B2"] = 1234.5
    cover["B2"].number_format = "#,##0.00"
    cover["B3"] = 10
    cover.column_dimensions["A"].width = 30

    old = wb.create_sheet("作废统计报表")
    for r in range(1, 31):
        for c in range(1, 16):
            old.cell(row=r, column=c, value=f"旧{r}-{c}")
    old.merge_cells("A1:O1")
    old["B5"].comment = Comment("旧的批注", "测试")
    old.freeze_panes = "A5"
    old.column_dimensions["N"].width = 25

    total = wb.create_sheet("汇总")
    total["A1"] = "合计"
    total["B1"] = "=SUM('封面'!B2:B3)"
    total["B2"] = "='作废统计报表'!A1"
    try:
        wb.defined_names["合计区"] = DefinedName("合计区", attr_text="'汇总'!$A$1:$B$2")
    except (TypeError, AttributeError):
        wb.defined_names.append(DefinedName("合计区", attr_text="'汇总'!$A$1:$B$2"))
    wb.save(sys.argv[1])
    if "--prefixed" in sys.argv[2:]:
        prefix(sys.argv[1])


MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"


def prefix(path):
    with zipfile.ZipFile(path) as z:
        parts = [(info, z.read(info.filename)) for info in z.infolist()]
    ET.register_namespace("x", MAIN)
    ET.register_namespace("r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for info, data in parts:
            if info.filename.endswith(".xml") and ET.fromstring(data).tag.startswith("{" + MAIN + "}"):
                data = ET.tostring(ET.fromstring(data), encoding="UTF-8", xml_declaration=True)
            z.writestr(info, data)


if __name__ == "__main__":
    main()
