#include "shell/Varnel1.h"

#include "platform/ui/FlexGrid.h"

#include <QEvent>
#include <QWheelEvent>

namespace {

// The event filter that stands for the grid's replaced window procedure.
class WheelHook : public QObject
{
public:
    bool eventFilter(QObject *target, QEvent *event) override { return WheelWindowProc(target, event); }
};

WheelHook &hook()
{
    static WheelHook instance;
    return instance;
}

QPointer<FlexGrid> &hookedGrid()
{
    static QPointer<FlexGrid> grid;
    return grid;
}

void scrollDown(FlexGrid *grid)
{
    const int top = grid->TopRow();
    const int last = grid->Rows() - 1;
    int hidden = -1;
    for (int row = top; row <= last && hidden < 0; ++row) {
        if (!grid->RowIsVisible(row))
            hidden = row;
    }
    // A grid whose rows all fit is still asked to move; it stays where it is.
    const int step = hidden == last ? 2 : 1;
    grid->setTopRow(top + step);
}

void scrollUp(FlexGrid *grid)
{
    const int top = grid->TopRow();
    if (top > 0)
        grid->setTopRow(top - 1);
}

} // namespace

QPointer<FlexGrid> &WheelGrid()
{
    static QPointer<FlexGrid> grid;
    return grid;
}

void HookWheel(FlexGrid *grid)
{
    if (!grid || hookedGrid() == grid)
        return;
    if (hookedGrid())
        hookedGrid()->removeInputFilter(&hook());
    grid->installInputFilter(&hook());
    hookedGrid() = grid;
}

void UnhookWheel(FlexGrid *grid)
{
    if (!grid || hookedGrid() != grid)
        return;
    grid->removeInputFilter(&hook());
    hookedGrid() = nullptr;
}

bool WheelWindowProc(QObject *, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    const int distance = static_cast<QWheelEvent *>(event)->angleDelta().y();
    if (distance == 0)
        return false; // a sideways tilt is no vertical notch
    if (FlexGrid *grid = WheelGrid()) {
        if (distance < 0)
            scrollDown(grid);
        else
            scrollUp(grid);
    }
    return true;
}
