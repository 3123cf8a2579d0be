#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Lengths on screen are given in twips (1/1440 inch). At 100 % scaling one
// device-independent pixel is 15 twips; Qt scales pixels to the screen itself.
namespace Twips {

constexpr int PerPixel = 15;

int toPixels(int twips);
int fromPixels(int pixels);
QSize size(int width, int height);
QRect rect(int left, int top, int width, int height);
// Sets a widget's position and size in its parent from twips.
void place(QWidget *widget, int left, int top, int width, int height);

} // namespace Twips
