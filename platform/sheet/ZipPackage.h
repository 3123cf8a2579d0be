#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <string>
#include <vector>

struct zip;

namespace sheet {

// A workbook file read as the zip package of parts it is. Part names are the zip
// entry names (no leading "/"). Opening fails with a WorkbookError.
class ZipPackage
{
public:
    explicit ZipPackage(const QString &file);
    ~ZipPackage();
    ZipPackage(const ZipPackage &) = delete;
    ZipPackage &operator=(const ZipPackage &) = delete;

    // The entries in the order the file holds them.
    const std::vector<std::string> &names() const { return m_names; }
    // The part whose name matches, ignoring case as the package format does, or
    // empty text.
    std::string find(const std::string &name) const;
    bool contains(const std::string &name) const { return !find(name).empty(); }
    // The uncompressed bytes of a part; throws when the part is missing or unreadable.
    QByteArray read(const std::string &name) const;

    zip *handle() const { return m_zip; }
    int indexOf(const std::string &name) const;

private:
    QString m_file;
    zip *m_zip = nullptr;
    std::vector<std::string> m_names;
};

// What becomes of the source package in the copy: parts replaced or removed, and
// new parts added after the others. Every other part is copied as it is stored.
struct PackageChanges
{
    std::map<std::string, std::string> replaced; // part name -> new contents
    std::vector<std::pair<std::string, std::string>> added;
    std::vector<std::string> removed;

    bool isRemoved(const std::string &name) const;
};

// Writes `source` with `changes` into the file `target` (created or truncated).
void writePackage(const ZipPackage &source, const PackageChanges &changes, const QString &target);

} // namespace sheet
