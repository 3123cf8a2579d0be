#include "platform/sheet/SheetGraft.h"

#include "platform/sheet/OrphanParts.h"
#include "platform/sheet/PackageXml.h"
#include "platform/sheet/StyleMerge.h"
#include "platform/sheet/TableReferences.h"
#include "platform/sheet/Workbook.h"

#include <QFileInfo>

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <string_view>

namespace sheet {

namespace {

constexpr const char *WorksheetType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char *StylesType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr std::string_view WorksheetContent = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr std::string_view StylesContent = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr std::string_view MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
// The namespaces of the Strict form of the format all start so.
constexpr std::string_view StrictNamespaces = "http://purl.oclc.org/ooxml/";

// Where the cells go in the serialized sheet: a text no part of the sheet around
// its cells can hold.
constexpr std::string_view CellsMarker = "\xef\xa3\xbf" "tessaline-sheet-data" "\xef\xa3\xbf";

// The scratch workbook's parts, as libxlsxwriter names them.
const std::string ScratchSheetPart = "xl/worksheets/sheet1.xml";
const std::string ScratchStylesPart = "xl/styles.xml";

QString notAWorkbook(const QString &fileName)
{
    return QStringLiteral("文件“%1”不是Excel工作簿（.xlsx格式），不能向其中输出，文件未做任何改动。").arg(fileName);
}

// ---- the workbook

// A Strict workbook names its parts' types and elements in namespaces of its own; a
// sheet written in the usual ones would make it a mixture that readers refuse.
bool isStrict(const pugi::xml_node &office, const pugi::xml_node &workbook)
{
    if (std::string_view(office.attribute("Type").value()).substr(0, StrictNamespaces.size()) == StrictNamespaces)
        return true;
    const std::string prefix = prefixOf(workbook);
    const std::string declaration = prefix.empty() ? std::string("xmlns") : "xmlns:" + prefix;
    return std::string_view(workbook.attribute(declaration.c_str()).value()).substr(0, StrictNamespaces.size())
        == StrictNamespaces;
}

struct WorkbookParts
{
    std::string workbookPart;
    pugi::xml_document workbook;
    Relationships rels;
    pugi::xml_node sheets;
    pugi::xml_node sheet; // the sheet of the export's name, when there is one
    std::string sheetPart;
};

void open(WorkbookParts &parts, const ZipPackage &package, const QString &sheetName, const QString &fileName)
{
    if (!package.contains("[Content_Types].xml") || !package.contains("_rels/.rels"))
        throw WorkbookError(notAWorkbook(fileName));
    Relationships root;
    load(root, package, "_rels/.rels", fileName);
    const pugi::xml_node office = root.byType("/officeDocument");
    if (!office)
        throw WorkbookError(notAWorkbook(fileName));
    parts.workbookPart = package.find(resolve(std::string(), office.attribute("Target").value()));
    if (parts.workbookPart.empty())
        throw WorkbookError(notAWorkbook(fileName));
    parse(parts.workbook, package.read(parts.workbookPart), parts.workbookPart, fileName);
    const pugi::xml_node workbook = parts.workbook.document_element();
    if (localName(workbook.name()) != "workbook")
        throw WorkbookError(notAWorkbook(fileName));
    if (isStrict(office, workbook))
        throw WorkbookError(QStringLiteral("工作簿“%1”是Strict Open XML格式（严格格式），不能向其中输出，文件未做任何改动。"
                                           "请在Excel中把它另存为“Excel 工作簿(*.xlsx)”后再输出。")
                                .arg(fileName));
    load(parts.rels, package, relationshipsOf(parts.workbookPart), fileName);
    parts.sheets = ensureChild(workbook, "sheets", {"fileVersion", "fileSharing", "workbookPr", "workbookProtection",
                                                    "bookViews", "sheets"});

    for (pugi::xml_node sheet : children(parts.sheets, "sheet")) {
        if (QString::fromUtf8(sheet.attribute("name").value()).compare(sheetName, Qt::CaseInsensitive) != 0)
            continue;
        parts.sheet = sheet;
        const std::string relPrefix = prefixFor(sheet, RelationshipsNs);
        const pugi::xml_node rel =
            relPrefix.empty() ? pugi::xml_node() : parts.rels.byId(sheet.attribute((relPrefix + ":id").c_str()).value());
        if (!rel || !endsWith(rel.attribute("Type").value(), "/worksheet"))
            throw WorkbookError(QStringLiteral("工作簿“%1”中的“%2”不是普通的工作表，不能向其中输出，文件未做任何改动。")
                                    .arg(fileName, QString::fromUtf8(sheet.attribute("name").value())));
        parts.sheetPart = package.find(resolve(parts.workbookPart, rel.attribute("Target").value()));
        if (parts.sheetPart.empty())
            throw WorkbookError(QStringLiteral("工作簿“%1”已损坏：找不到工作表“%2”的内容。")
                                    .arg(fileName, QString::fromUtf8(sheet.attribute("name").value())));
        break;
    }
}

// ---- the sheet

// Rewrites the style numbers (s="n") of the row and cell tags of a sheet's cells.
std::string remapCellStyles(std::string_view cells, const std::vector<int> &map)
{
    std::string out;
    out.reserve(cells.size() + cells.size() / 32);
    size_t pos = 0;
    while (pos < cells.size()) {
        const size_t open = cells.find('<', pos);
        if (open == std::string_view::npos) {
            out.append(cells.substr(pos));
            break;
        }
        out.append(cells.substr(pos, open - pos));
        size_t close = cells.find('>', open);
        if (close == std::string_view::npos)
            close = cells.size() - 1;
        const std::string_view tag = cells.substr(open, close - open + 1);
        pos = close + 1;
        const bool styled = tag.substr(0, 3) == "<c " || tag.substr(0, 5) == "<row ";
        const size_t attribute = styled ? tag.find(" s=\"") : std::string_view::npos;
        if (attribute == std::string_view::npos) {
            out.append(tag);
            continue;
        }
        const size_t digits = attribute + 4;
        const size_t end = tag.find('"', digits);
        int index = 0;
        std::from_chars(tag.data() + digits, tag.data() + end, index);
        out.append(tag.substr(0, digits));
        out.append(std::to_string(index >= 0 && size_t(index) < map.size() ? map[size_t(index)] : 0));
        out.append(tag.substr(end));
    }
    return out;
}

// Where the cells are in a sheet's XML: the text between the start and end tags of
// its sheetData element (whatever the sheet's prefix), empty for <sheetData/>. The
// cells are cut out before the rest of a sheet is read as a tree, so that a large
// sheet never becomes one.
struct CellsSpan
{
    size_t start = std::string_view::npos; // after the start tag
    size_t end = std::string_view::npos;   // at the end tag (or the start tag's end)
    bool empty = false;                    // <sheetData/>

    bool found() const { return start != std::string_view::npos; }
};

CellsSpan findCells(std::string_view xml)
{
    constexpr std::string_view Name = "sheetData";
    const auto nameChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'; };
    for (size_t at = xml.find(Name); at != std::string_view::npos; at = xml.find(Name, at + Name.size())) {
        size_t open = at;
        if (open > 0 && xml[open - 1] == ':')
            for (--open; open > 0 && nameChar(xml[open - 1]);)
                --open;
        const size_t after = at + Name.size();
        if (open == 0 || xml[open - 1] != '<' || after >= xml.size() || nameChar(xml[after]) || xml[after] == ':')
            continue;
        const size_t close = xml.find('>', after);
        if (close == std::string_view::npos)
            return {};
        if (xml[close - 1] == '/')
            return {close + 1, close - 1, true};
        const std::string endTag = "</" + std::string(xml.substr(open, after - open)) + ">";
        const size_t end = xml.find(endTag, close);
        if (end == std::string_view::npos)
            return {};
        return {close + 1, end, false};
    }
    return {};
}

// The scratch's sheet with its cells taken out (the marker in their place) for the
// tree, and the cells, already given the target's style numbers.
struct ScratchSheet
{
    pugi::xml_document doc;
    std::string cells;
};

void loadScratchSheet(ScratchSheet &sheet, const QByteArray &bytes, const std::vector<int> &styles)
{
    const std::string_view xml(bytes.constData(), size_t(bytes.size()));
    const CellsSpan cells = findCells(xml);
    if (!cells.found())
        throw WorkbookError(QStringLiteral("写出的工作表不完整。"));
    std::string head;
    if (cells.empty) {
        head = std::string(xml.substr(0, cells.end)) + '>' + std::string(CellsMarker) + "</sheetData>"
             + std::string(xml.substr(cells.start));
    } else {
        sheet.cells = remapCellStyles(xml.substr(cells.start, cells.end - cells.start), styles);
        head = std::string(xml.substr(0, cells.start)) + std::string(CellsMarker) + std::string(xml.substr(cells.end));
    }
    if (!sheet.doc.load_buffer(head.data(), head.size(), ParseOptions, pugi::encoding_utf8))
        throw WorkbookError(QStringLiteral("写出的工作表无法读取。"));
    const pugi::xml_node root = sheet.doc.document_element();
    for (pugi::xml_node col : children(child(root, "cols"), "col"))
        if (pugi::xml_attribute style = col.attribute("style"))
            style.set_value(style.as_int() >= 0 && size_t(style.as_int()) < styles.size() ? styles[size_t(style.as_int())] : 0);
    for (pugi::xml_node view : children(child(root, "sheetViews"), "sheetView"))
        view.remove_attribute("tabSelected");
}

// The old sheet without its cells, which are replaced anyway.
void loadOldSheet(pugi::xml_document &doc, const QByteArray &bytes, const std::string &part, const QString &fileName)
{
    const std::string_view xml(bytes.constData(), size_t(bytes.size()));
    const CellsSpan cells = findCells(xml);
    if (!cells.found() || cells.empty) {
        parse(doc, bytes, part, fileName);
        return;
    }
    const QByteArray head = QByteArray(bytes.constData(), qsizetype(cells.start)) + bytes.mid(qsizetype(cells.end));
    parse(doc, head, part, fileName);
}

std::string finishSheet(const pugi::xml_document &doc, const std::string &cells)
{
    std::string xml = serialize(doc);
    const size_t marker = xml.find(CellsMarker);
    if (marker != std::string::npos)
        xml.replace(marker, CellsMarker.size(), cells);
    return xml;
}

// The children of a worksheet in the schema's order.
const std::vector<std::string_view> &worksheetOrder()
{
    static const std::vector<std::string_view> order = {
        "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
        "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
        "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
        "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties",
        "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "picture",
        "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};
    return order;
}

// What stays of the old sheet: what the spreadsheet program keeps when the cells are
// cleared. Everything tied to the old cells (comments, hyperlinks, conditional
// formats, validations, filters, tables, controls) goes with them.
bool keptFromOldSheet(std::string_view local)
{
    static const std::set<std::string_view> kept = {"sheetPr", "sheetViews", "sheetFormatPr", "sheetCalcPr",
                                                    "sheetProtection", "printOptions", "pageMargins", "pageSetup",
                                                    "headerFooter", "rowBreaks", "colBreaks", "drawing",
                                                    "legacyDrawingHF", "picture"};
    return kept.count(local) > 0;
}

bool takenFromScratch(std::string_view local)
{
    return local == "dimension" || local == "sheetData" || local == "mergeCells";
}

// The new widths for the written columns, then the old sheet's columns after them.
void mergeColumns(pugi::xml_node into, const pugi::xml_node &scratchCols, const pugi::xml_node &oldCols,
                  const std::string &prefix)
{
    int written = 0;
    for (pugi::xml_node col : children(scratchCols, "col")) {
        applyPrefix(into.append_copy(col), prefix);
        written = std::max(written, intAttribute(col, "max"));
    }
    for (pugi::xml_node col : children(oldCols, "col")) {
        if (intAttribute(col, "max") <= written)
            continue;
        pugi::xml_node kept = into.append_copy(col);
        if (intAttribute(kept, "min") <= written)
            kept.attribute("min").set_value(written + 1);
    }
}

void appendFromScratch(pugi::xml_node root, const pugi::xml_node &scratchRoot, std::string_view local,
                       const std::string &prefix)
{
    for (pugi::xml_node c : children(scratchRoot, local)) {
        pugi::xml_node copy = root.append_copy(c);
        applyPrefix(copy, prefix);
        // Cells spliced in under a prefixed sheet still belong to the sheet's namespace.
        if (local == "sheetData" && !prefix.empty())
            copy.append_attribute("xmlns") = MainNs.data();
    }
}

void replacedSheet(pugi::xml_document &doc, const pugi::xml_document &old, const ScratchSheet &scratch)
{
    const pugi::xml_node oldRoot = old.document_element();
    const pugi::xml_node newRoot = scratch.doc.document_element();
    const std::string prefix = prefixOf(oldRoot);

    bool declared = false;
    for (pugi::xml_node n = old.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_declaration) {
            doc.append_copy(n);
            declared = true;
        }
    if (!declared)
        addDeclaration(doc);
    pugi::xml_node root = doc.append_child(oldRoot.name());
    for (pugi::xml_attribute a = oldRoot.first_attribute(); a; a = a.next_attribute())
        root.append_attribute(a.name()) = a.value();

    for (std::string_view local : worksheetOrder()) {
        if (local == "cols") {
            pugi::xml_node cols = root.append_child(qualified(prefix, "cols").c_str());
            mergeColumns(cols, child(newRoot, "cols"), child(oldRoot, "cols"), prefix);
            if (!cols.first_child())
                root.remove_child(cols);
        } else if (takenFromScratch(local)) {
            appendFromScratch(root, newRoot, local, prefix);
        } else if (keptFromOldSheet(local)) {
            const std::vector<pugi::xml_node> kept = children(oldRoot, local);
            for (const pugi::xml_node &c : kept)
                root.append_copy(c);
            // A sheet without a view or margins of its own takes the new ones.
            if (kept.empty() && (local == "sheetViews" || local == "sheetFormatPr" || local == "pageMargins"))
                appendFromScratch(root, newRoot, local, prefix);
        }
    }
}

// The relationships of the sheet that its new contents still point at; the others
// (comments, hyperlinks, tables of the old cells) are dropped. The cells themselves
// point at nothing, so the sheet without them is enough to look at.
void pruneSheetRelationships(PackageChanges &changes, const ZipPackage &target, const std::string &sheetPart,
                             const pugi::xml_document &sheet, const QString &fileName)
{
    const std::string relsPart = target.find(relationshipsOf(sheetPart));
    if (relsPart.empty())
        return;
    std::set<std::string> prefixes;
    std::set<std::string> used;
    const auto collect = [&](const auto &self, const pugi::xml_node &node) -> void {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name(a.name());
            if (name.substr(0, 6) == "xmlns:" && RelationshipsNs == a.value())
                prefixes.insert(std::string(name.substr(6)));
        }
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name(a.name());
            const size_t colon = name.find(':');
            if (colon != std::string_view::npos && prefixes.count(std::string(name.substr(0, colon))))
                used.insert(a.value());
        }
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                self(self, c);
    };
    collect(collect, sheet.document_element());

    Relationships rels;
    load(rels, target, relsPart, fileName);
    bool changed = false;
    for (pugi::xml_node r : children(rels.doc.document_element(), "Relationship"))
        if (!used.count(r.attribute("Id").value())) {
            rels.doc.document_element().remove_child(r);
            changed = true;
        }
    if (!changed)
        return;
    if (children(rels.doc.document_element(), "Relationship").empty())
        changes.removed.push_back(relsPart);
    else
        changes.replaced[relsPart] = serialize(rels.doc);
}

// ---- what goes with the old sheet's cells

// The tables (by name) and pivot tables (by the number of their cache) of the old
// sheet; they go with its cells.
struct OldSheetObjects
{
    QStringList tables;
    std::set<std::string> pivotCaches;
};

OldSheetObjects objectsOf(const ZipPackage &target, const std::string &sheetPart, const QString &fileName)
{
    OldSheetObjects found;
    const std::string relsPart = target.find(relationshipsOf(sheetPart));
    if (relsPart.empty())
        return found;
    Relationships rels;
    load(rels, target, relsPart, fileName);
    for (pugi::xml_node r : children(rels.doc.document_element(), "Relationship")) {
        const std::string_view type = r.attribute("Type").value();
        const bool table = endsWith(type, "/table");
        if ((!table && !endsWith(type, "/pivotTable")) || std::string_view(r.attribute("TargetMode").value()) == "External")
            continue;
        const std::string part = target.find(resolve(sheetPart, r.attribute("Target").value()));
        if (part.empty())
            continue;
        pugi::xml_document doc;
        parse(doc, target.read(part), part, fileName);
        const pugi::xml_node root = doc.document_element();
        if (!table) {
            found.pivotCaches.insert(root.attribute("cacheId").value());
            continue;
        }
        for (const char *attribute : {"displayName", "name"}) {
            const QString name = QString::fromUtf8(root.attribute(attribute).value());
            if (!name.isEmpty() && !found.tables.contains(name, Qt::CaseInsensitive))
                found.tables << name;
        }
    }
    return found;
}

// The worksheet parts of the workbook other than the replaced one.
std::vector<std::string> otherWorksheets(const ZipPackage &target, const WorkbookParts &parts)
{
    std::vector<std::string> found;
    for (pugi::xml_node r : children(parts.rels.doc.document_element(), "Relationship")) {
        if (!endsWith(r.attribute("Type").value(), "/worksheet"))
            continue;
        const std::string part = target.find(resolve(parts.workbookPart, r.attribute("Target").value()));
        if (!part.empty() && part != parts.sheetPart)
            found.push_back(part);
    }
    return found;
}

// Whether the bytes may hold one of the names: a quick look, without case for ASCII
// letters, before a sheet is read as a tree.
bool mayName(const QByteArray &bytes, const QStringList &names)
{
    const QByteArray lower = bytes.toLower();
    for (const QString &name : names) {
        if (name.toLower() != name.toUpper() && name.toUtf8().toLower() != name.toLower().toUtf8())
            return true; // letters with case beyond ASCII: the quick look cannot tell
        if (lower.contains(name.toUtf8().toLower()))
            return true;
    }
    return false;
}

bool rewriteFormula(pugi::xml_node formula, const QStringList &tables)
{
    const std::optional<QString> rewritten = withoutTableReferences(QString::fromUtf8(formula.text().get()), tables);
    if (!rewritten)
        return false;
    formula.text().set(rewritten->toUtf8().constData());
    return true;
}

// Formulas and defined names that name the dropped tables name nothing once they are
// gone, as when the spreadsheet program deletes a table; their results are worked out
// again when the workbook is opened.
void dropTableReferences(PackageChanges &changes, const ZipPackage &target, WorkbookParts &parts,
                         const QStringList &tables, bool &workbookChanged, const QString &fileName)
{
    if (tables.isEmpty())
        return;
    bool rewritten = false;
    pugi::xml_node workbook = parts.workbook.document_element();
    for (pugi::xml_node name : children(child(workbook, "definedNames"), "definedName"))
        rewritten = rewriteFormula(name, tables) || rewritten;
    for (const std::string &part : otherWorksheets(target, parts)) {
        const QByteArray bytes = target.read(part);
        if (!mayName(bytes, tables))
            continue;
        pugi::xml_document sheet;
        parse(sheet, bytes, part, fileName);
        bool changed = false;
        for (pugi::xml_node row : children(child(sheet.document_element(), "sheetData"), "row"))
            for (pugi::xml_node cell : children(row, "c"))
                if (const pugi::xml_node formula = child(cell, "f"))
                    changed = rewriteFormula(formula, tables) || changed;
        if (changed)
            changes.replaced[part] = serialize(sheet);
        rewritten = rewritten || changed;
    }
    if (!rewritten)
        return;
    static const std::vector<std::string_view> order = {
        "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets", "functionGroups",
        "externalReferences", "definedNames", "calcPr", "oleSize", "customWorkbookViews", "pivotCaches",
        "smartTagPr", "smartTagTypes", "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"};
    pugi::xml_node calc = ensureChild(workbook, "calcPr", order);
    (calc.attribute("fullCalcOnLoad") ? calc.attribute("fullCalcOnLoad") : calc.append_attribute("fullCalcOnLoad")) = "1";
    workbookChanged = true;
}

// The caches of the old sheet's pivot tables that no other pivot table uses. A workbook
// with extensions (slicers and timelines refer to caches there) keeps its caches.
void dropUnusedPivotCaches(const ZipPackage &target, WorkbookParts &parts, const std::set<std::string> &caches,
                           bool &workbookChanged, bool &relsChanged, const QString &fileName)
{
    pugi::xml_node workbook = parts.workbook.document_element();
    pugi::xml_node list = child(workbook, "pivotCaches");
    if (caches.empty() || !list || child(workbook, "extLst"))
        return;
    std::set<std::string> used;
    for (const std::string &sheetPart : otherWorksheets(target, parts)) {
        const std::string relsPart = target.find(relationshipsOf(sheetPart));
        if (relsPart.empty())
            continue;
        Relationships rels;
        load(rels, target, relsPart, fileName);
        for (pugi::xml_node r : children(rels.doc.document_element(), "Relationship")) {
            const std::string part = endsWith(r.attribute("Type").value(), "/pivotTable")
                ? target.find(resolve(sheetPart, r.attribute("Target").value()))
                : std::string();
            if (part.empty())
                continue;
            pugi::xml_document pivot;
            parse(pivot, target.read(part), part, fileName);
            used.insert(pivot.document_element().attribute("cacheId").value());
        }
    }
    for (pugi::xml_node cache : children(list, "pivotCache")) {
        const std::string id = cache.attribute("cacheId").value();
        if (!caches.count(id) || used.count(id))
            continue;
        const std::string relPrefix = prefixFor(cache, RelationshipsNs);
        if (const pugi::xml_node rel =
                relPrefix.empty() ? pugi::xml_node() : parts.rels.byId(cache.attribute((relPrefix + ":id").c_str()).value())) {
            parts.rels.doc.document_element().remove_child(rel);
            relsChanged = true;
        }
        list.remove_child(cache);
        workbookChanged = true;
    }
    if (elements(list).empty())
        workbook.remove_child(list);
}

// The calculation chain lists cells with formulas by sheet number; the replaced
// sheet's entries would point at cells that no longer hold one.
void pruneCalcChain(PackageChanges &changes, const ZipPackage &target, WorkbookParts &parts, const std::string &sheetId,
                    pugi::xml_document &contentTypes, bool &typesChanged, bool &relsChanged, const QString &fileName)
{
    const pugi::xml_node rel = parts.rels.byType("/calcChain");
    if (!rel)
        return;
    const std::string part = target.find(resolve(parts.workbookPart, rel.attribute("Target").value()));
    if (part.empty())
        return;
    pugi::xml_document chain;
    parse(chain, target.read(part), part, fileName);
    pugi::xml_node root = chain.document_element();
    std::string current;
    bool touches = false;
    std::vector<std::pair<pugi::xml_node, std::string>> cells;
    for (pugi::xml_node c : children(root, "c")) {
        if (pugi::xml_attribute i = c.attribute("i"))
            current = i.value();
        cells.emplace_back(c, current);
        touches = touches || current == sheetId;
    }
    if (!touches)
        return;
    for (auto &[c, sheet] : cells) {
        if (sheet == sheetId) {
            root.remove_child(c);
        } else {
            // A cell without a sheet number takes the one before it; give each its own.
            if (!c.attribute("i"))
                c.append_attribute("i") = sheet.c_str();
        }
    }
    if (!children(root, "c").empty()) {
        changes.replaced[part] = serialize(chain);
        return;
    }
    changes.removed.push_back(part);
    parts.rels.doc.document_element().remove_child(rel);
    relsChanged = true;
    for (pugi::xml_node o : children(contentTypes.document_element(), "Override"))
        if (resolve(std::string(), o.attribute("PartName").value()) == part) {
            contentTypes.document_element().remove_child(o);
            typesChanged = true;
        }
}

void addContentType(pugi::xml_document &types, const std::string &part, std::string_view contentType)
{
    pugi::xml_node root = types.document_element();
    for (pugi::xml_node o : children(root, "Override"))
        if (resolve(std::string(), o.attribute("PartName").value()) == part)
            return;
    pugi::xml_node o = root.append_child(qualified(prefixOf(root), "Override").c_str());
    o.append_attribute("PartName") = ('/' + part).c_str();
    o.append_attribute("ContentType") = contentType.data();
}

// The document properties list the worksheets' names (as the spreadsheet program
// writes them: a group of "Worksheets" in HeadingPairs, the names in TitlesOfParts).
bool addSheetTitle(pugi::xml_document &app, const std::string &name)
{
    const pugi::xml_node root = app.document_element();
    pugi::xml_node headings = child(child(root, "HeadingPairs"), "vector");
    pugi::xml_node titles = child(child(root, "TitlesOfParts"), "vector");
    if (!headings || !titles)
        return false;
    const std::vector<pugi::xml_node> variants = children(headings, "variant");
    struct Group
    {
        std::string name;
        pugi::xml_node count;
    };
    std::vector<Group> groups;
    for (size_t i = 0; i + 1 < variants.size(); i += 2) {
        const pugi::xml_node title = variants[i].first_child();
        const pugi::xml_node count = variants[i + 1].first_child();
        if (localName(title.name()) != "lpstr" || localName(count.name()) != "i4")
            return false;
        groups.push_back({title.text().get(), count});
    }
    if (groups.empty())
        return false;
    size_t sheets = 0;
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].name == "Worksheets" || groups[i].name == "工作表") {
            sheets = i;
            break;
        }
    int before = 0, total = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (i < sheets)
            before += groups[i].count.text().as_int();
        total += groups[i].count.text().as_int();
    }
    const std::vector<pugi::xml_node> names = elements(titles);
    if (total != int(names.size()))
        return false;
    const int at = before + groups[sheets].count.text().as_int();
    const std::string element = qualified(prefixOf(titles), "lpstr");
    pugi::xml_node added = at < int(names.size()) ? titles.insert_child_before(element.c_str(), names[size_t(at)])
                                                  : titles.append_child(element.c_str());
    added.text().set(name.c_str());
    groups[sheets].count.text().set(groups[sheets].count.text().as_int() + 1);
    titles.attribute("size").set_value(int(names.size()) + 1);
    return true;
}

std::string newSheetPart(const ZipPackage &target, const WorkbookParts &parts)
{
    const std::string folder = folderOf(parts.workbookPart) + "worksheets/";
    for (int n = 1;; ++n) {
        const std::string part = folder + "sheet" + std::to_string(n) + ".xml";
        if (!target.contains(part))
            return part;
    }
}

} // namespace

void checkWorkbook(const ZipPackage &target, const QString &sheetName, const QString &fileName)
{
    WorkbookParts parts;
    open(parts, target, sheetName, fileName);
}

PackageChanges graftSheet(const ZipPackage &target, const ZipPackage &scratch, const QString &sheetName,
                          const QString &fileName)
{
    PackageChanges changes;
    WorkbookParts parts;
    open(parts, target, sheetName, fileName);
    bool workbookChanged = false, relsChanged = false, typesChanged = false;

    pugi::xml_document types;
    const std::string typesPart = target.find("[Content_Types].xml");
    parse(types, target.read(typesPart), typesPart, fileName);

    // Styles: the scratch's cell formats, numbered as the target's styles number them.
    pugi::xml_document scratchStyles;
    parse(scratchStyles, scratch.read(ScratchStylesPart), ScratchStylesPart, fileName);
    std::vector<int> styleMap;
    if (const pugi::xml_node stylesRel = parts.rels.byType("/styles")) {
        const std::string stylesPart = target.find(resolve(parts.workbookPart, stylesRel.attribute("Target").value()));
        pugi::xml_document styles;
        parse(styles, target.read(stylesPart), stylesPart, fileName);
        const std::string before = serialize(styles);
        styleMap = mergeCellFormats(styles.document_element(), scratchStyles.document_element());
        std::string after = serialize(styles);
        if (after != before)
            changes.replaced[stylesPart] = std::move(after);
    } else {
        // A workbook without styles of its own takes the scratch's as they are.
        const std::string stylesPart = folderOf(parts.workbookPart) + "styles.xml";
        changes.added.emplace_back(stylesPart, serialize(scratchStyles));
        pugi::xml_node rel = parts.rels.doc.document_element().append_child("Relationship");
        rel.append_attribute("Id") = parts.rels.newId().c_str();
        rel.append_attribute("Type") = StylesType;
        rel.append_attribute("Target") = relativeTarget(parts.workbookPart, stylesPart).c_str();
        addContentType(types, stylesPart, StylesContent);
        relsChanged = typesChanged = true;
        const size_t formats = elements(child(scratchStyles.document_element(), "cellXfs")).size();
        for (size_t i = 0; i < formats; ++i)
            styleMap.push_back(int(i));
    }

    ScratchSheet sheet;
    loadScratchSheet(sheet, scratch.read(ScratchSheetPart), styleMap);

    if (parts.sheet) {
        // The sheet of that name gets the new cells in its place, visible.
        const OldSheetObjects objects = objectsOf(target, parts.sheetPart, fileName);
        pugi::xml_document old;
        loadOldSheet(old, target.read(parts.sheetPart), parts.sheetPart, fileName);
        pugi::xml_document replaced;
        replacedSheet(replaced, old, sheet);
        pruneSheetRelationships(changes, target, parts.sheetPart, replaced, fileName);
        changes.replaced[parts.sheetPart] = finishSheet(replaced, sheet.cells);
        if (const pugi::xml_attribute state = parts.sheet.attribute("state"); state && std::string_view(state.value()) != "visible") {
            parts.sheet.remove_attribute(state);
            workbookChanged = true;
        }
        for (pugi::xml_node view : children(child(parts.workbook.document_element(), "bookViews"), "workbookView"))
            if (const pugi::xml_attribute shown = view.attribute("visibility"); shown && std::string_view(shown.value()) != "visible") {
                view.remove_attribute(shown);
                workbookChanged = true;
            }
        pruneCalcChain(changes, target, parts, parts.sheet.attribute("sheetId").value(), types, typesChanged,
                       relsChanged, fileName);
        dropTableReferences(changes, target, parts, objects.tables, workbookChanged, fileName);
        dropUnusedPivotCaches(target, parts, objects.pivotCaches, workbookChanged, relsChanged, fileName);
    } else {
        // A new sheet after the last one.
        const std::string part = newSheetPart(target, parts);
        changes.added.emplace_back(part, finishSheet(sheet.doc, sheet.cells));

        const std::string id = parts.rels.newId();
        pugi::xml_node rel = parts.rels.doc.document_element().append_child(
            qualified(prefixOf(parts.rels.doc.document_element()), "Relationship").c_str());
        rel.append_attribute("Id") = id.c_str();
        rel.append_attribute("Type") = WorksheetType;
        rel.append_attribute("Target") = relativeTarget(parts.workbookPart, part).c_str();
        relsChanged = true;

        // The relationship's prefix is declared on the workbook element, where it
        // holds for the new sheet too (some writers declare it on each sheet).
        pugi::xml_node workbook = parts.workbook.document_element();
        std::string relPrefix = prefixDeclaredOn(workbook, RelationshipsNs);
        if (relPrefix.empty()) {
            relPrefix = "r";
            while (workbook.attribute(("xmlns:" + relPrefix).c_str()))
                relPrefix += 'r';
            workbook.append_attribute(("xmlns:" + relPrefix).c_str()) = RelationshipsNs.data();
        }
        int highest = 0;
        for (pugi::xml_node s : children(parts.sheets, "sheet"))
            highest = std::max(highest, intAttribute(s, "sheetId"));
        pugi::xml_node entry = parts.sheets.append_child(qualified(prefixOf(parts.sheets), "sheet").c_str());
        const QByteArray name = sheetName.toUtf8();
        entry.append_attribute("name") = name.constData();
        entry.append_attribute("sheetId") = highest + 1;
        entry.append_attribute((relPrefix + ":id").c_str()) = id.c_str();
        workbookChanged = true;

        addContentType(types, part, WorksheetContent);
        typesChanged = true;

        if (const std::string appPart = target.find("docProps/app.xml"); !appPart.empty()) {
            pugi::xml_document app;
            parse(app, target.read(appPart), appPart, fileName);
            if (addSheetTitle(app, name.toStdString()))
                changes.replaced[appPart] = serialize(app);
        }
    }

    if (workbookChanged)
        changes.replaced[parts.workbookPart] = serialize(parts.workbook);
    if (relsChanged) {
        if (parts.rels.present)
            changes.replaced[parts.rels.part] = serialize(parts.rels.doc);
        else
            changes.added.emplace_back(parts.rels.part, serialize(parts.rels.doc));
    }
    if (parts.sheet)
        dropOrphanedParts(changes, target);
    typesChanged = dropContentTypesOfRemoved(types, changes) || typesChanged;
    if (typesChanged)
        changes.replaced[typesPart] = serialize(types);
    return changes;
}

} // namespace sheet
