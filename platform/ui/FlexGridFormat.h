#pragma once

#include <QList>
#include <QString>

// One column of a grid's format string: "<" left, ">" right, "^" centred, segments
// split at "|". The text (trailing blanks included) is the heading and, measured in
// the grid's font, the column's initial width.
struct FlexGridFormatColumn
{
    QString heading;
    int alignment; // a grid alignment value: 1 left, 4 centred, 7 right, 9 general (no mark)
};

QList<FlexGridFormatColumn> parseFlexGridFormat(const QString &format);
