#include "platform/ui/Twips.h"

#include <QWidget>
#include <cmath>

namespace Twips {

int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips / double(PerPixel)));
}

int fromPixels(int pixels)
{
    return pixels * PerPixel;
}

QSize size(int width, int height)
{
    return {toPixels(width), toPixels(height)};
}

QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect(left, top, width, height));
}

} // namespace Twips
