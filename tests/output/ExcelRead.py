"""Reads a workbook back for the export tests and prints what it holds as JSON.

    ExcelRead.py FILE [--summary]

For every sheet, in the workbook's order: its state, the cells that hold a value or
a frame (value, type, number format, font size, alignment, frame), the merged ranges,
the column widths and the frozen pane; the defined names; and, from the zip package
itself, a digest of every part, whether every XML part parses, the number of cell
formats and fonts in the styles, the formulas of every sheet, how many local and
central headers carry a Zip64 extra field, and what is wrong with the package as a
whole (a content type or relationship naming a missing part, a part that no
relationship reaches or that has no content type). With --summary the cells are
left out, only the sheets' sizes are given. Any warning of openpyxl is an error.
"""
import hashlib
import json
import posixpath
import struct
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
    info["formulas"] = {c.coordinate: c.value for row in ws.iter_rows() for c in row if c.data_type == "f"}
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


ZIP64_EXTRA = 0x0001


def has_zip64(extra):
    at = 0
    while at + 4 <= len(extra):
        kind, size = struct.unpack_from("<HH", extra, at)
        if kind == ZIP64_EXTRA:
            return True
        at += 4 + size
    return False


def zip64_headers(path, z):
    """How many local and central headers carry a Zip64 extra field."""
    local = 0
    with open(path, "rb") as f:
        for info in z.infolist():
            f.seek(info.header_offset)
            header = f.read(30)
            name_length, extra_length = struct.unpack_from("<HH", header, 26)
            f.seek(name_length, 1)
            local += has_zip64(f.read(extra_length))
    central = sum(has_zip64(info.extra) for info in z.infolist())
    return local, central


REL_NS = "{http://schemas.openxmlformats.org/package/2006/relationships}"
CT_NS = "{http://schemas.openxmlformats.org/package/2006/content-types}"


def rels_of(part):
    folder, name = posixpath.split(part)
    return posixpath.join(folder, "_rels", name + ".rels")


def package_problems(z):
    """What makes the package inconsistent, as readable sentences."""
    names = set(z.namelist())
    lower = {n.lower(): n for n in names}
    problems = []
    types = ET.fromstring(z.read("[Content_Types].xml"))
    overrides = {o.get("PartName").lstrip("/").lower() for o in types.iter(CT_NS + "Override")}
    defaults = {d.get("Extension").lower() for d in types.iter(CT_NS + "Default")}
    for o in sorted(overrides):
        if o not in lower:
            problems.append("content type for missing part " + o)
    reached = set()
    todo = [""]
    while todo:
        source = todo.pop()
        rels = lower.get(rels_of(source).lower().lstrip("/") if source else "_rels/.rels")
        if rels is None:
            continue
        for r in ET.fromstring(z.read(rels)).iter(REL_NS + "Relationship"):
            if r.get("TargetMode") == "External":
                continue
            target = r.get("Target")
            part = target.lstrip("/") if target.startswith("/") else \
                posixpath.normpath(posixpath.join(posixpath.dirname(source), target))
            if part.lower() not in lower:
                problems.append(f"{rels} points at missing part {part}")
            elif part.lower() not in reached:
                reached.add(part.lower())
                todo.append(lower[part.lower()])
    for name in sorted(names):
        if name.endswith("/") or name == "[Content_Types].xml" or name.endswith(".rels"):
            continue
        if name.lower() not in reached:
            problems.append("part reached by no relationship: " + name)
        if name.lower() not in overrides and posixpath.splitext(name)[1][1:].lower() not in defaults:
            problems.append("part without content type: " + name)
    return problems


def package_info(path):
    parts = {}
    xml_ok = True
    xf_count = None
    font_count = None
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
                    fonts = root.find(ns + "fonts")
                    font_count = len(fonts) if fonts is not None else 0
        zip64_local, zip64_central = zip64_headers(path, z)
        problems = package_problems(z)
    return {"parts": parts, "xml_ok": xml_ok, "xf_count": xf_count, "font_count": font_count,
            "zip64_local": zip64_local, "zip64_central": zip64_central, "package_problems": problems}


def defined_names(wb):
    names = wb.defined_names
    if hasattr(names, "definedName"):  # openpyxl before 3.1
        return {dn.name: dn.attr_text for dn in names.definedName}
    return {name: dn.attr_text for name, dn in names.items()}


def main():
    path = sys.argv[1]
    summary = "--summary" in sys.argv[2:]
    wb = openpyxl.load_workbook(path)
    result = {
        "sheets": wb.sheetnames,
        "sheet": {ws.title: sheet_info(ws, summary) for ws in wb.worksheets},
        "defined_names": defined_names(wb),
    }
    result.update(package_info(path))
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
