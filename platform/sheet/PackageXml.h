#pragma once

#include "platform/sheet/ZipPackage.h"

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <set>
#include <string>
#include <string_view>
#include <vector>

// Reading and writing the XML parts of a workbook package: names with or without a
// namespace prefix (the same element may be "sheet" in one file and "x:sheet" in
// another), part names and relationship targets, and relationship parts.
namespace sheet {

constexpr std::string_view RelationshipsNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
// Whitespace-only text is kept: a cell's text may be blanks.
constexpr unsigned ParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;

// ---- names
std::string_view localName(const char *name);
std::string prefixOf(const pugi::xml_node &node);
std::string qualified(const std::string &prefix, std::string_view local);
bool endsWith(std::string_view text, std::string_view end);
// The first child element, or all of them, with that local name; every child element.
pugi::xml_node child(const pugi::xml_node &node, std::string_view local);
std::vector<pugi::xml_node> children(const pugi::xml_node &node, std::string_view local);
std::vector<pugi::xml_node> elements(const pugi::xml_node &node);
// Gives every element of a copied tree the prefix of the document it went into.
void applyPrefix(pugi::xml_node node, const std::string &prefix);
// The prefix bound to a namespace on the element itself, or where the element is;
// empty text when there is none.
std::string prefixDeclaredOn(const pugi::xml_node &node, std::string_view ns);
std::string prefixFor(pugi::xml_node node, std::string_view ns);

// ---- part names
std::string folderOf(const std::string &part);
// The relationship part of a part: "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
std::string relationshipsOf(const std::string &part);
// The part a relationship of `source` points at (relative or absolute target).
std::string resolve(const std::string &source, std::string_view target);
// The target by which `source` points at `part`.
std::string relativeTarget(const std::string &source, const std::string &part);

// ---- XML
std::string serialize(const pugi::xml_document &doc);
std::string serialize(const pugi::xml_node &node);
// Throws WorkbookError when the part does not parse.
void parse(pugi::xml_document &doc, const QByteArray &bytes, const std::string &part, const QString &fileName);
void addDeclaration(pugi::xml_document &doc);
int intAttribute(const pugi::xml_node &node, const char *name, int fallback = 0);
// Sets a list's count attribute to its number of child elements.
void setCount(pugi::xml_node list);
// Finds the child named `local`, or makes it where the schema's order of children
// (`order`) puts it.
pugi::xml_node ensureChild(pugi::xml_node parent, std::string_view local, const std::vector<std::string_view> &order);

// A relationship part, read from the package or new (when the package has none).
struct Relationships
{
    std::string part;
    pugi::xml_document doc;
    bool present = false;

    pugi::xml_node byId(std::string_view id) const
    {
        for (pugi::xml_node r : children(doc.document_element(), "Relationship"))
            if (id == r.attribute("Id").value())
                return r;
        return {};
    }
    pugi::xml_node byType(std::string_view typeEnd) const
    {
        for (pugi::xml_node r : children(doc.document_element(), "Relationship"))
            if (endsWith(r.attribute("Type").value(), typeEnd))
                return r;
        return {};
    }
    std::string newId() const
    {
        std::set<std::string> taken;
        for (pugi::xml_node r : children(doc.document_element(), "Relationship"))
            taken.insert(r.attribute("Id").value());
        for (size_t n = taken.size() + 1;; ++n)
            if (!taken.count("rId" + std::to_string(n)))
                return "rId" + std::to_string(n);
    }
};

void load(Relationships &rels, const ZipPackage &package, const std::string &part, const QString &fileName);

} // namespace sheet
