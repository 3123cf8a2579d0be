#pragma once

#include <pugixml.hpp>

#include <vector>

namespace sheet {

// Puts the cell formats of `scratch` (a styles part) into `target` (another one) and
// gives, for each of the scratch's cell formats, its number in the target. Fonts,
// frames, fills and number formats are found in the target or added to it, and so are
// the cell formats themselves, so that exporting again into the same workbook adds
// nothing. A font is the target's default font with the scratch font's changes (its
// size), as the spreadsheet program changes only the size of the workbook's font.
std::vector<int> mergeCellFormats(pugi::xml_node target, pugi::xml_node scratch);

} // namespace sheet
