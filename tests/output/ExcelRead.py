"""Reads a workbook back for the export tests and prints what it holds as JSON.

    ExcelRead.py FILE [--summary]

For every sheet, in the workbook's order: its state, the cells that hold a value or
a frame (value, type, number format, font size, alignment, frame), the merged ranges,
the column widths and the frozen pane; the defined names; and, from the zip package
itself, a digest of every part, whether every XML part parses, and the number of cell
formats in the styles. With --summary the cells are left out, only the sheets' sizes
are given. Any warning of openpyxl is an error.
"""
import hashlib
import json
import sys
import warnings
import zipfile
import xml.etree.ElementTree as ET

warnings.simplefilter("error")

import openpyxl  # noqa: E402


def side(s):
    return s.style if s is not None and s.style else None


def cell_info(cell):
    value = cell.value
    info = {
        "value": value if isinstance(value, (int, float, str)) or value is None else str(value),
        "type": cell.data_type,
        "format": cell.number_format,
        "size": float(cell.font.sz) if cell.font is not None and cell.font.sz is not None else None,
        "bold": bool(cell.font.b) if cell.font is not None else False,
        "horizontal": cell.alignment.horizontal,
        "vertical": cell.alignment.vertical,
        "border": [side(cell.border.left), side(cell.border.right), side(cell.border.top), side(cell.border.bottom)],
        "fill": cell.fill.fgColor.rgb if cell.fill is not None and cell.fill.fill_type else None,
    }
    return info


def sheet_info(ws, summary):
    info = {
        "state": ws.sheet_state,
        "max_row": ws.max_row,
        "max_column": ws.max_column,
        "merges": sorted(str(r) for r in ws.merged_cells.ranges),
        "widths": {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth or v.width},
        "hidden_columns": sorted(k for k, v in ws.column_dimensions.items() if v.hidden),
        "freeze": ws.freeze_panes,
    }
    if summary:
        return info
    cells = {}
    for row in ws.iter_rows():
        for cell in row:
            if cell.value is None and not any(side(s) for s in (cell.border.left, cell.border.right,
                                                                cell.border.top, cell.border.bottom)):
                continue
            cells[cell.coordinate] = cell_info(cell)
    info["cells"] = cells
    info["comments"] = sum(1 for row in ws.iter_rows() for c in row if c.comment is not None)
    return info


def package_info(path):
    parts = {}
    xml_ok = True
    xf_count = None
    with zipfile.ZipFile(path) as z:
        if z.testzip() is not None:
            xml_ok = False
        for name in z.namelist():
            data = z.read(name)
            parts[name] = hashlib.sha1(data).hexdigest()
            if name.endswith(".xml") or name.endswith(".rels"):
                try:
                    root = ET.fromstring(data)
                except ET.ParseError:
                    xml_ok = False
                    continue
                if name == "xl/styles.xml":
                    ns = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
                    xfs = root.find(ns + "cellXfs")
                    xf_count = len(xfs) if xfs is not None else 0
    return parts, xml_ok, xf_count


def defined_names(wb):
    names = wb.defined_names
    if hasattr(names, "definedName"):  # openpyxl before 3.1
        return {dn.name: dn.attr_text for dn in names.definedName}
    return {name: dn.attr_text for name, dn in names.items()}


def main():
    path = sys.argv[1]
    summary = "--summary" in sys.argv[2:]
    wb = openpyxl.load_workbook(path)
    parts, xml_ok, xf_count = package_info(path)
    result = {
        "sheets": wb.sheetnames,
        "sheet": {ws.title: sheet_info(ws, summary) for ws in wb.worksheets},
        "defined_names": defined_names(wb),
        "parts": parts,
        "xml_ok": xml_ok,
        "xf_count": xf_count,
    }
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
