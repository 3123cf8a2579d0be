#include "platform/sheet/PackageXml.h"

#include "platform/sheet/Workbook.h"

#include <algorithm>

namespace sheet {

// ---- names

std::string_view localName(const char *name)
{
    const std::string_view full(name);
    const size_t colon = full.find(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

std::string prefixOf(const pugi::xml_node &node)
{
    const std::string_view full(node.name());
    const size_t colon = full.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(full.substr(0, colon));
}

std::string qualified(const std::string &prefix, std::string_view local)
{
    return prefix.empty() ? std::string(local) : prefix + ':' + std::string(local);
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

pugi::xml_node child(const pugi::xml_node &node, std::string_view local)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == local)
            return c;
    return {};
}

std::vector<pugi::xml_node> children(const pugi::xml_node &node, std::string_view local)
{
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == local)
            found.push_back(c);
    return found;
}

std::vector<pugi::xml_node> elements(const pugi::xml_node &node)
{
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            found.push_back(c);
    return found;
}

// Gives every element of a copied tree the prefix of the document it went into.
void applyPrefix(pugi::xml_node node, const std::string &prefix)
{
    if (prefix.empty() || node.type() != pugi::node_element)
        return;
    node.set_name(qualified(prefix, localName(node.name())).c_str());
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        applyPrefix(c, prefix);
}

// The prefix bound to a namespace on the element itself, or empty text.
std::string prefixDeclaredOn(const pugi::xml_node &node, std::string_view ns)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name(a.name());
        if (name.substr(0, 6) == "xmlns:" && ns == a.value())
            return std::string(name.substr(6));
    }
    return {};
}

// The prefix bound to a namespace where the element is, or empty text.
std::string prefixFor(pugi::xml_node node, std::string_view ns)
{
    for (; node && node.type() == pugi::node_element; node = node.parent())
        if (std::string prefix = prefixDeclaredOn(node, ns); !prefix.empty())
            return prefix;
    return {};
}

// ---- part names

std::string folderOf(const std::string &part)
{
    const size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string relationshipsOf(const std::string &part)
{
    const size_t slash = part.rfind('/');
    const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return folderOf(part) + "_rels/" + file + ".rels";
}

// The part a relationship of `source` points at.
std::string resolve(const std::string &source, std::string_view target)
{
    std::string path = !target.empty() && target.front() == '/' ? std::string(target.substr(1))
                                                                 : folderOf(source) + std::string(target);
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string &segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

std::string relativeTarget(const std::string &source, const std::string &part)
{
    const std::string folder = folderOf(source);
    return part.compare(0, folder.size(), folder) == 0 ? part.substr(folder.size()) : '/' + part;
}

// ---- XML

namespace {

struct StringWriter : pugi::xml_writer
{
    std::string text;
    void write(const void *data, size_t size) override { text.append(static_cast<const char *>(data), size); }
};

} // namespace

std::string serialize(const pugi::xml_document &doc)
{
    StringWriter writer;
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.text;
}

std::string serialize(const pugi::xml_node &node)
{
    StringWriter writer;
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.text;
}

void parse(pugi::xml_document &doc, const QByteArray &bytes, const std::string &part, const QString &fileName)
{
    if (!doc.load_buffer(bytes.constData(), size_t(bytes.size()), ParseOptions, pugi::encoding_utf8))
        throw WorkbookError(QStringLiteral("工作簿“%1”中的“%2”部分已损坏，无法读取。")
                                .arg(fileName, QString::fromStdString(part)));
}

void addDeclaration(pugi::xml_document &doc)
{
    pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
}

int intAttribute(const pugi::xml_node &node, const char *name, int fallback)
{
    const pugi::xml_attribute a = node.attribute(name);
    return a ? a.as_int(fallback) : fallback;
}

void setCount(pugi::xml_node list)
{
    if (!list)
        return;
    const int count = int(elements(list).size());
    pugi::xml_attribute a = list.attribute("count");
    if (!a)
        a = list.append_attribute("count");
    a.set_value(count);
}

// Finds the child of `parent` named `local`, or makes it where the schema's order of
// children puts it.
pugi::xml_node ensureChild(pugi::xml_node parent, std::string_view local, const std::vector<std::string_view> &order)
{
    if (pugi::xml_node found = child(parent, local))
        return found;
    const auto rank = [&order](std::string_view name) {
        return size_t(std::find(order.begin(), order.end(), name) - order.begin());
    };
    const std::string name = qualified(prefixOf(parent), local);
    for (pugi::xml_node c : elements(parent))
        if (rank(localName(c.name())) > rank(local))
            return parent.insert_child_before(name.c_str(), c);
    return parent.append_child(name.c_str());
}

void load(Relationships &rels, const ZipPackage &package, const std::string &part, const QString &fileName)
{
    rels.part = part;
    const std::string stored = package.find(part);
    rels.present = !stored.empty();
    if (rels.present) {
        rels.part = stored;
        parse(rels.doc, package.read(stored), stored, fileName);
    } else {
        addDeclaration(rels.doc);
        rels.doc.append_child("Relationships").append_attribute("xmlns") =
            "http://schemas.openxmlformats.org/package/2006/relationships";
    }
}

} // namespace sheet
