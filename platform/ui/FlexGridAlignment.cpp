#include "platform/ui/FlexGridAlignment.h"

#include <QString>

namespace FlexGridAlignment {

Qt::Alignment toQt(int value, const QString &text)
{
    if (value < LeftTop || value > RightBottom) {
        bool number = false;
        text.trimmed().toDouble(&number);
        return Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft);
    }
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[value / 3] | vertical[value % 3];
}

} // namespace FlexGridAlignment
