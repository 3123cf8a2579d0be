#include "platform/sheet/OrphanParts.h"

#include "platform/sheet/PackageXml.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace sheet {

namespace {

// Part names compare without case, as the package format has them.
std::string folded(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

// The package as it is, or as it will be with the changes.
class PackageView
{
public:
    PackageView(const ZipPackage &package, const PackageChanges *changes) : m_package(package), m_changes(changes) {}

    // The part's name as the package holds it, or empty text.
    std::string find(const std::string &name) const
    {
        if (m_changes)
            for (const auto &[added, bytes] : m_changes->added)
                if (folded(added) == folded(name))
                    return added;
        const std::string stored = m_package.find(name);
        if (m_changes && m_changes->isRemoved(stored))
            return {};
        return stored;
    }

    QByteArray read(const std::string &part) const
    {
        if (m_changes) {
            for (const auto &[added, bytes] : m_changes->added)
                if (added == part)
                    return QByteArray::fromStdString(bytes);
            if (auto replaced = m_changes->replaced.find(part); replaced != m_changes->replaced.end())
                return QByteArray::fromStdString(replaced->second);
        }
        return m_package.read(part);
    }

    // The parts the relationships reach from the package's root on, by folded name.
    std::set<std::string> reached() const
    {
        std::set<std::string> seen;
        std::vector<std::string> sources = {std::string()};
        while (!sources.empty()) {
            const std::string source = sources.back();
            sources.pop_back();
            const std::string rels = find(source.empty() ? std::string("_rels/.rels") : relationshipsOf(source));
            if (rels.empty())
                continue;
            pugi::xml_document doc;
            const QByteArray bytes = read(rels);
            if (!doc.load_buffer(bytes.constData(), size_t(bytes.size()), ParseOptions, pugi::encoding_utf8))
                continue;
            for (pugi::xml_node r : children(doc.document_element(), "Relationship")) {
                if (std::string_view(r.attribute("TargetMode").value()) == "External")
                    continue;
                const std::string part = find(resolve(source, r.attribute("Target").value()));
                if (!part.empty() && seen.insert(folded(part)).second)
                    sources.push_back(part);
            }
        }
        return seen;
    }

private:
    const ZipPackage &m_package;
    const PackageChanges *m_changes;
};

void addRemoved(PackageChanges &changes, const std::string &part)
{
    if (!part.empty() && !changes.isRemoved(part))
        changes.removed.push_back(part);
}

} // namespace

void dropOrphanedParts(PackageChanges &changes, const ZipPackage &package)
{
    const std::set<std::string> before = PackageView(package, nullptr).reached();
    const std::set<std::string> after = PackageView(package, &changes).reached();
    for (const std::string &part : package.names()) {
        const std::string name = folded(part);
        if (!before.count(name) || after.count(name))
            continue;
        addRemoved(changes, part);
        addRemoved(changes, package.find(relationshipsOf(part)));
    }
}

bool dropContentTypesOfRemoved(pugi::xml_document &types, const PackageChanges &changes)
{
    std::set<std::string> removed;
    for (const std::string &part : changes.removed)
        removed.insert(folded(part));
    bool dropped = false;
    pugi::xml_node root = types.document_element();
    for (pugi::xml_node o : children(root, "Override"))
        if (removed.count(folded(resolve(std::string(), o.attribute("PartName").value())))) {
            root.remove_child(o);
            dropped = true;
        }
    return dropped;
}

} // namespace sheet
