#include "platform/sheet/StyleMerge.h"

#include "platform/sheet/PackageXml.h"

#include <algorithm>

namespace sheet {

namespace {

// Attributes by local name, without namespace declarations, in name order.
std::vector<std::pair<std::string_view, std::string_view>> attributesOf(const pugi::xml_node &node)
{
    std::vector<std::pair<std::string_view, std::string_view>> found;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name(a.name());
        if (name == "xmlns" || name.substr(0, 6) == "xmlns:")
            continue;
        found.emplace_back(localName(a.name()), a.value());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string textOf(const pugi::xml_node &node)
{
    std::string text;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            text += c.value();
    return text;
}

// Whether two style entries say the same: the same names, attributes and text, and
// children that match one for one in any order. Writers order a font's properties
// differently (libxlsxwriter puts the size first), and the order means nothing.
bool sameEntry(const pugi::xml_node &a, const pugi::xml_node &b)
{
    if (localName(a.name()) != localName(b.name()) || attributesOf(a) != attributesOf(b) || textOf(a) != textOf(b))
        return false;
    const std::vector<pugi::xml_node> ours = elements(a);
    const std::vector<pugi::xml_node> theirs = elements(b);
    if (ours.size() != theirs.size())
        return false;
    std::vector<bool> matched(theirs.size(), false);
    for (const pugi::xml_node &child : ours) {
        size_t i = 0;
        while (i < theirs.size() && (matched[i] || !sameEntry(child, theirs[i])))
            ++i;
        if (i == theirs.size())
            return false;
        matched[i] = true;
    }
    return true;
}

class StyleMerger
{
public:
    StyleMerger(pugi::xml_node target, pugi::xml_node scratch) : m_target(target), m_scratch(scratch)
    {
        m_prefix = prefixOf(target);
    }

    std::vector<int> merge()
    {
        static const std::vector<std::string_view> order = {"numFmts", "fonts", "fills", "borders", "cellStyleXfs",
                                                            "cellXfs", "cellStyles", "dxfs", "tableStyles",
                                                            "colors", "extLst"};
        const pugi::xml_node scratchXfs = child(m_scratch, "cellXfs");
        const std::vector<pugi::xml_node> xfs = elements(scratchXfs);
        std::vector<int> map(xfs.size(), 0);
        if (xfs.size() <= 1)
            return map;

        pugi::xml_node numFmts = ensureChild(m_target, "numFmts", order);
        pugi::xml_node fonts = ensureChild(m_target, "fonts", order);
        pugi::xml_node fills = ensureChild(m_target, "fills", order);
        pugi::xml_node borders = ensureChild(m_target, "borders", order);
        pugi::xml_node cellXfs = ensureChild(m_target, "cellXfs", order);

        const std::vector<pugi::xml_node> scratchFonts = elements(child(m_scratch, "fonts"));
        const std::vector<pugi::xml_node> scratchFills = elements(child(m_scratch, "fills"));
        const std::vector<pugi::xml_node> scratchBorders = elements(child(m_scratch, "borders"));
        const pugi::xml_node scratchNumFmts = child(m_scratch, "numFmts");

        for (size_t i = 1; i < xfs.size(); ++i) {
            pugi::xml_document holder;
            pugi::xml_node xf = holder.append_copy(xfs[i]);
            applyPrefix(xf, m_prefix);
            remap(xf, "fontId", [&](int id) { return fontIndex(fonts, scratchFonts, id); });
            remap(xf, "fillId", [&](int id) { return listIndex(fills, scratchFills, id, 2); });
            remap(xf, "borderId", [&](int id) { return listIndex(borders, scratchBorders, id, 1); });
            remap(xf, "numFmtId", [&](int id) { return numFmtIndex(numFmts, scratchNumFmts, id); });
            if (pugi::xml_attribute style = xf.attribute("xfId"))
                style.set_value(0);
            map[i] = findOrAppend(cellXfs, xf);
        }
        if (elements(numFmts).empty())
            m_target.remove_child(numFmts);
        else
            setCount(numFmts);
        for (pugi::xml_node list : {fonts, fills, borders, cellXfs})
            setCount(list);
        return map;
    }

private:
    template <typename Map>
    static void remap(pugi::xml_node xf, const char *attribute, Map map)
    {
        if (pugi::xml_attribute a = xf.attribute(attribute))
            a.set_value(map(a.as_int()));
    }

    static int findOrAppend(pugi::xml_node list, const pugi::xml_node &candidate)
    {
        int index = 0;
        for (pugi::xml_node existing : elements(list)) {
            if (sameEntry(existing, candidate))
                return index;
            ++index;
        }
        list.append_copy(candidate);
        return index;
    }

    // Fills and frames: the first `defaults` of a styles part are the standard ones
    // (no fill, the gray pattern; no frame) in both workbooks.
    int listIndex(pugi::xml_node list, const std::vector<pugi::xml_node> &scratch, int id, int defaults)
    {
        if (id < 0 || id >= int(scratch.size()))
            return 0;
        if (id < defaults && id < int(elements(list).size()))
            return id;
        pugi::xml_document holder;
        pugi::xml_node copy = holder.append_copy(scratch[size_t(id)]);
        applyPrefix(copy, m_prefix);
        return findOrAppend(list, copy);
    }

    int fontIndex(pugi::xml_node fonts, const std::vector<pugi::xml_node> &scratch, int id)
    {
        const std::vector<pugi::xml_node> existing = elements(fonts);
        if (id < 0 || id >= int(scratch.size()))
            return 0;
        if (existing.empty())
            return listIndex(fonts, scratch, id, 0);
        if (id == 0)
            return 0;
        pugi::xml_document holder;
        pugi::xml_node font = holder.append_copy(existing.front());
        const pugi::xml_node base = scratch.front();
        for (pugi::xml_node property : elements(scratch[size_t(id)])) {
            const std::string_view local = localName(property.name());
            const pugi::xml_node same = child(base, local);
            if (same && sameEntry(same, property))
                continue;
            // In the place of the default font's own, as the spreadsheet program orders them.
            pugi::xml_node changed;
            if (pugi::xml_node old = child(font, local)) {
                changed = font.insert_copy_after(property, old);
                font.remove_child(old);
            } else {
                changed = font.append_copy(property);
            }
            applyPrefix(changed, m_prefix);
        }
        return findOrAppend(fonts, font);
    }

    int numFmtIndex(pugi::xml_node numFmts, const pugi::xml_node &scratch, int id)
    {
        constexpr int FirstCustom = 164;
        if (id < FirstCustom)
            return id;
        std::string code;
        for (pugi::xml_node f : elements(scratch))
            if (f.attribute("numFmtId").as_int() == id)
                code = f.attribute("formatCode").value();
        int highest = FirstCustom - 1;
        for (pugi::xml_node f : elements(numFmts)) {
            if (code == f.attribute("formatCode").value())
                return f.attribute("numFmtId").as_int();
            highest = std::max(highest, f.attribute("numFmtId").as_int());
        }
        pugi::xml_node added = numFmts.append_child(qualified(m_prefix, "numFmt").c_str());
        added.append_attribute("numFmtId") = highest + 1;
        added.append_attribute("formatCode") = code.c_str();
        return highest + 1;
    }

    pugi::xml_node m_target;
    pugi::xml_node m_scratch;
    std::string m_prefix;
};

} // namespace

std::vector<int> mergeCellFormats(pugi::xml_node target, pugi::xml_node scratch)
{
    return StyleMerger(target, scratch).merge();
}

} // namespace sheet
