#include "platform/ui/FlexGridCorner.h"

#include "platform/ui/FlexGrid.h"

#include <QMouseEvent>
#include <QPainter>

FlexGridCorner::FlexGridCorner(FlexGrid *grid) : QWidget(grid), m_grid(grid) {}

void FlexGridCorner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    int y = 0;
    for (int row = 0; row < m_grid->FixedRows(); ++row) {
        const int height = m_grid->rowHeightPixels(row);
        int x = 0;
        for (int col = 0; col < m_grid->FixedCols(); ++col) {
            const int width = m_grid->colWidthPixels(col);
            if (width > 0)
                m_grid->paintCell(&painter, QRect(x, y, width, height), row, col);
            x += width;
        }
        y += height;
    }
}

QPoint FlexGridCorner::toGrid(const QMouseEvent *event) const
{
    return mapTo(m_grid, event->position().toPoint());
}

void FlexGridCorner::mousePressEvent(QMouseEvent *event)
{
    m_grid->pressAt(toGrid(event), event);
}

void FlexGridCorner::mouseMoveEvent(QMouseEvent *event)
{
    m_grid->moveAt(toGrid(event), event);
}

void FlexGridCorner::mouseReleaseEvent(QMouseEvent *event)
{
    m_grid->releaseAt(toGrid(event), event);
}

void FlexGridCorner::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_grid->doubleClickAt(toGrid(event), event);
}
