#include "platform/ui/FlexGridCorner.h"

#include "platform/ui/FlexGrid.h"

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
