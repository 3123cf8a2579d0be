#pragma once

#include <QPointer>

class FlexGrid;
class QEvent;
class QObject;

// Mouse-wheel scrolling of a grid one row per notch. While the hook is on a grid,
// its wheel events go to WheelWindowProc, which scrolls WheelGrid; every other event
// reaches the grid untouched. At most one grid is hooked at a time.

// The grid that wheel notches scroll; the window registers it after HookWheel.
QPointer<FlexGrid> &WheelGrid();

// Puts the hook on a grid (taking it off any other grid first).
void HookWheel(FlexGrid *grid);
// Takes the hook off a grid; a grid that is not hooked is left as it is.
void UnhookWheel(FlexGrid *grid);

// Returns true when the event was a vertical wheel notch, which it consumes after
// scrolling WheelGrid: down a row, two when only the last row is out of sight; up a
// row while the top row is above 0. Other events are not touched (false).
bool WheelWindowProc(QObject *target, QEvent *event);
