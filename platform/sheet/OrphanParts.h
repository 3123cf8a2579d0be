#pragma once

#include "platform/sheet/ZipPackage.h"

#include <pugixml.hpp>

namespace sheet {

// Adds to `changes` the removal of every part of `package` that its relationships
// reached before the changes and reach no longer (the tables, comments, drawings of
// comments and pivot tables of a replaced sheet), with their own relationship parts.
void dropOrphanedParts(PackageChanges &changes, const ZipPackage &package);

// Takes the content types of the removed parts out of `types` (the package's
// [Content_Types].xml); true when it named any.
bool dropContentTypesOfRemoved(pugi::xml_document &types, const PackageChanges &changes);

} // namespace sheet
