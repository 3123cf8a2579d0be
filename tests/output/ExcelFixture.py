"""Makes the existing workbook the export tests write into.

    ExcelFixture.py FILE [--prefixed | --tables | --strict]

Three sheets: "封面" with styles of its own (bold type, a fill, a number format, a
wide column); "作废统计报表", the sheet an export replaces, holding more cells than an
export writes, a merge, a comment, a frozen pane and a wide column far to the right;
"汇总" with formulas over the other sheets. A defined name points into "汇总".
With --prefixed the workbook's XML names its elements with a namespace prefix
("x:worksheet"), as some other programs write it.
With --tables "作废统计报表" also holds the tables "tblExpenses" and "明细表" and a
pivot table, "封面" the table "tblKeep"; "汇总" and the defined name "支出合计" have
formulas over the tables, and the content types name the relationships part of
"作废统计报表" (as some writers do).
With --strict the file is a small workbook in the Strict form of the format (sheets
"作废统计报表" and "其他"), written by hand since openpyxl writes only the usual form.
"""
import sys
import xml.etree.ElementTree as ET
import zipfile

from openpyxl import Workbook
from openpyxl.comments import Comment
from openpyxl.styles import Font, PatternFill
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.table import Table


def main():
    if "--strict" in sys.argv[2:]:
        strict(sys.argv[1])
        return
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
    add_name(wb, "合计区", "'汇总'!$A$1:$B$2")
    if "--tables" in sys.argv[2:]:
        add_tables(wb)
    wb.save(sys.argv[1])
    if "--prefixed" in sys.argv[2:]:
        prefix(sys.argv[1])
    if "--tables" in sys.argv[2:]:
        add_pivot_table(sys.argv[1])


def add_name(wb, name, text):
    try:
        wb.defined_names[name] = DefinedName(name, attr_text=text)
    except (TypeError, AttributeError):
        wb.defined_names.append(DefinedName(name, attr_text=text))


def table(ws, name, ref, header, rows):
    first = ws[ref.split(":")[0]]
    for c, text in enumerate(header):
        ws.cell(row=first.row, column=first.column + c, value=text)
    for r, values in enumerate(rows, 1):
        for c, value in enumerate(values):
            ws.cell(row=first.row + r, column=first.column + c, value=value)
    ws.add_table(Table(displayName=name, ref=ref))


def add_tables(wb):
    old = wb["作废统计报表"]
    table(old, "tblExpenses", "A10:C13", ["Item", "Amount", "Note"], [["a", 1, "x"], ["b", 2, "y"], ["c", 3, "z"]])
    table(old, "明细表", "E10:F12", ["项目", "金额"], [["甲", 10], ["乙", 20]])
    table(wb["封面"], "tblKeep", "D1:D3", ["x"], [[5], [6]])
    total = wb["汇总"]
    total["B3"] = "=SUM(tblExpenses[Amount])"
    total["B4"] = "=SUM(明细表[金额])+1"
    total["B5"] = "=ROWS(tblexpenses)"
    total["B6"] = '="tblExpenses[Amount]"&\'封面\'!A1'
    total["B7"] = "=SUM(tblKeep[x])"
    total["B8"] = "=tblExpenses[[#Headers],[Amount]]"
    add_name(wb, "支出合计", "SUM(tblExpenses[Amount])")


PIVOT_TABLE = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<pivotTableDefinition xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" name="透视表1" cacheId="7" \
applyNumberFormats="0" applyBorderFormats="0" applyFontFormats="0" applyPatternFormats="0" \
applyAlignmentFormats="0" applyWidthHeightFormats="1" dataCaption="值" createdVersion="6" updatedVersion="6">\
<location ref="H10:H11" firstHeaderRow="1" firstDataRow="1" firstDataCol="0"/>\
<pivotFields count="1"><pivotField showAll="0"/></pivotFields></pivotTableDefinition>"""

PIVOT_CACHE = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<pivotCacheDefinition xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" \
xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" r:id="rId1" refreshOnLoad="1" \
recordCount="0"><cacheSource type="worksheet"><worksheetSource ref="A10:C13" sheet="作废统计报表"/></cacheSource>\
<cacheFields count="1"><cacheField name="Item" numFmtId="0"><sharedItems/></cacheField></cacheFields>\
</pivotCacheDefinition>"""

PIVOT_RECORDS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<pivotCacheRecords xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="0"/>"""

RELS = "http://schemas.openxmlformats.org/package/2006/relationships"
DOC_RELS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
TYPES = "http://schemas.openxmlformats.org/package/2006/content-types"
PIVOT_TYPE = "application/vnd.openxmlformats-officedocument.spreadsheetml."


def relationships(*entries):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Relationships xmlns="%s">' % RELS
            + "".join('<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % e for e in entries)
            + "</Relationships>").encode()


def add_pivot_table(path):
    """A pivot table on "作废统计报表" with its cache, written into the package by hand."""
    with zipfile.ZipFile(path) as z:
        parts = {info.filename: z.read(info.filename) for info in z.infolist()}
    ET.register_namespace("", RELS)
    sheet_rels = ET.fromstring(parts["xl/worksheets/_rels/sheet2.xml.rels"])
    ET.SubElement(sheet_rels, "{%s}Relationship" % RELS, Id="rIdPivot", Type=DOC_RELS + "/pivotTable",
                  Target="../pivotTables/pivotTable1.xml")
    parts["xl/worksheets/_rels/sheet2.xml.rels"] = ET.tostring(sheet_rels, encoding="UTF-8", xml_declaration=True)
    book_rels = ET.fromstring(parts["xl/_rels/workbook.xml.rels"])
    ET.SubElement(book_rels, "{%s}Relationship" % RELS, Id="rIdCache", Type=DOC_RELS + "/pivotCacheDefinition",
                  Target="pivotCache/pivotCacheDefinition1.xml")
    parts["xl/_rels/workbook.xml.rels"] = ET.tostring(book_rels, encoding="UTF-8", xml_declaration=True)
    book = parts["xl/workbook.xml"].decode()
    caches = '<pivotCaches><pivotCache xmlns:r="%s" cacheId="7" r:id="rIdCache"/></pivotCaches>' % DOC_RELS
    at = book.find("</calcPr>") + len("</calcPr>") if "</calcPr>" in book else book.find("/>", book.find("<calcPr")) + 2
    parts["xl/workbook.xml"] = (book[:at] + caches + book[at:]).encode()
    parts["xl/pivotTables/pivotTable1.xml"] = PIVOT_TABLE.encode()
    parts["xl/pivotTables/_rels/pivotTable1.xml.rels"] = relationships(
        ("rId1", DOC_RELS, "pivotCacheDefinition", "../pivotCache/pivotCacheDefinition1.xml"))
    parts["xl/pivotCache/pivotCacheDefinition1.xml"] = PIVOT_CACHE.encode()
    parts["xl/pivotCache/_rels/pivotCacheDefinition1.xml.rels"] = relationships(
        ("rId1", DOC_RELS, "pivotCacheRecords", "pivotCacheRecords1.xml"))
    parts["xl/pivotCache/pivotCacheRecords1.xml"] = PIVOT_RECORDS.encode()
    types = parts["[Content_Types].xml"].decode()
    overrides = "".join('<Override PartName="/%s" ContentType="%s"/>' % entry for entry in [
        ("xl/pivotTables/pivotTable1.xml", PIVOT_TYPE + "pivotTable+xml"),
        ("xl/pivotCache/pivotCacheDefinition1.xml", PIVOT_TYPE + "pivotCacheDefinition+xml"),
        ("xl/pivotCache/pivotCacheRecords1.xml", PIVOT_TYPE + "pivotCacheRecords+xml"),
        ("xl/worksheets/_rels/sheet2.xml.rels", "application/vnd.openxmlformats-package.relationships+xml")])
    parts["[Content_Types].xml"] = types.replace("</Types>", overrides + "</Types>").encode()
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            z.writestr(name, data)


STRICT_MAIN = "http://purl.oclc.org/ooxml/spreadsheetml/main"
STRICT_RELS = "http://purl.oclc.org/ooxml/officeDocument/relationships"


def strict(path):
    sheet = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<worksheet xmlns="%s"><sheetData>'
             '<row r="1"><c r="A1" t="inlineStr"><is><t>严格</t></is></c></row></sheetData></worksheet>' % STRICT_MAIN)
    parts = {
        "[Content_Types].xml": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Types xmlns="%s">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.'
        'spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.'
        'spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.'
        'spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.'
        'spreadsheetml.styles+xml"/></Types>' % TYPES,
        "_rels/.rels": relationships(("rId1", STRICT_RELS, "officeDocument", "xl/workbook.xml")),
        "xl/workbook.xml": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<workbook xmlns="%s" '
        'xmlns:r="%s" conformance="strict"><sheets><sheet name="作废统计报表" sheetId="1" r:id="rId1"/>'
        '<sheet name="其他" sheetId="2" r:id="rId2"/></sheets></workbook>' % (STRICT_MAIN, STRICT_RELS),
        "xl/_rels/workbook.xml.rels": relationships(("rId1", STRICT_RELS, "worksheet", "worksheets/sheet1.xml"),
                                                    ("rId2", STRICT_RELS, "worksheet", "worksheets/sheet2.xml"),
                                                    ("rId3", STRICT_RELS, "styles", "styles.xml")),
        "xl/worksheets/sheet1.xml": sheet,
        "xl/worksheets/sheet2.xml": sheet,
        "xl/styles.xml": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<styleSheet xmlns="%s">'
        '<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts><fills count="2"><fill>'
        '<patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>'
        '<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>'
        '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
        '<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>'
        '</styleSheet>' % STRICT_MAIN,
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            z.writestr(name, data)


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
