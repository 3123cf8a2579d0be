#include "platform/ui/FlexGridFixedPane.h"

#include "platform/ui/FlexGrid.h"

#include <QMouseEvent>
#include <QPainter>

FlexGridFixedPane::FlexGridFixedPane(Qt::Orientation orientation, FlexGrid *grid)
    : QHeaderView(orientation, grid), m_grid(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionsMovable(false);
    setMinimumSectionSize(1);
    setSectionResizeMode(QHeaderView::Fixed);
}

void FlexGridFixedPane::setExtent(int pixels)
{
    if (m_extent == pixels)
        return;
    m_extent = pixels;
    updateGeometry();
}

QSize FlexGridFixedPane::sizeHint() const
{
    return orientation() == Qt::Horizontal ? QSize(0, m_extent) : QSize(m_extent, 0);
}

void FlexGridFixedPane::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (orientation() == Qt::Horizontal) {
        int y = rect.top();
        for (int row = 0; row < m_grid->FixedRows(); ++row) {
            const int height = m_grid->rowHeightPixels(row);
            m_grid->paintCell(painter, QRect(rect.left(), y, rect.width(), height), row, logicalIndex);
            y += height;
        }
    } else {
        int x = rect.left();
        for (int col = 0; col < m_grid->FixedCols(); ++col) {
            const int width = m_grid->colWidthPixels(col);
            if (width > 0)
                m_grid->paintCell(painter, QRect(x, rect.top(), width, rect.height()), logicalIndex, col);
            x += width;
        }
    }
}
