#pragma once

#include <QLatin1StringView>
#include <QString>

class QFont;

// Width of a text in a font, in twips. Results are cached per font, so widening
// columns over many thousands of rows measures each distinct text once.
namespace TextMeasure {

int widthTwips(const QFont &font, const QString &text);
// The same for Latin-1 text (digits of an amount), without making a QString of it.
int widthTwips(const QFont &font, QLatin1StringView text);

} // namespace TextMeasure
