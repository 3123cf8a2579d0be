#pragma once

#include <QString>

class QFont;

// Width of a text in a font, in twips. Results are cached per font, so widening
// columns over many thousands of rows measures each distinct text once.
namespace TextMeasure {

int widthTwips(const QFont &font, const QString &text);

} // namespace TextMeasure
