#include "platform/ui/FlexGridFormat.h"

#include "platform/ui/FlexGridAlignment.h"

QList<FlexGridFormatColumn> parseFlexGridFormat(const QString &format)
{
    QList<FlexGridFormatColumn> columns;
    // Every "|" starts a new column, so a trailing "|" adds an untitled one.
    const QStringList segments = format.split(QLatin1Char('|'));
    for (const QString &segment : segments) {
        FlexGridFormatColumn column{segment, FlexGridAlignment::General};
        if (!segment.isEmpty()) {
            const QChar mark = segment.front();
            const int alignment = mark == u'<' ? FlexGridAlignment::LeftCenter
                                : mark == u'>' ? FlexGridAlignment::RightCenter
                                : mark == u'^' ? FlexGridAlignment::CenterCenter
                                               : -1;
            if (alignment >= 0) {
                column.alignment = alignment;
                column.heading = segment.mid(1);
            }
        }
        columns.append(column);
    }
    return columns;
}
