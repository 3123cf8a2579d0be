#pragma once

#include <Qt>

class QString;

// The grid's alignment values: three horizontal by three vertical positions, and 9,
// "general", which puts numbers on the right and other text on the left.
namespace FlexGridAlignment {

enum Value {
    LeftTop = 0, LeftCenter = 1, LeftBottom = 2,
    CenterTop = 3, CenterCenter = 4, CenterBottom = 5,
    RightTop = 6, RightCenter = 7, RightBottom = 8,
    General = 9,
};

// The Qt alignment for a value and a cell text; unknown values act as general.
Qt::Alignment toQt(int value, const QString &text);

} // namespace FlexGridAlignment
