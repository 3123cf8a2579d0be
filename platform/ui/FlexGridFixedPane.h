#pragma once

#include <QHeaderView>

class FlexGrid;

// A header of the grid that paints its fixed cells: the horizontal one holds the
// fixed rows above each scrolling column, the vertical one the fixed columns beside
// each scrolling row. Being the view's own headers, they scroll along one axis with
// the cells and stay put along the other. Mouse input goes to the grid
// (FlexGrid::eventFilter).
class FlexGridFixedPane : public QHeaderView
{
    Q_OBJECT
public:
    FlexGridFixedPane(Qt::Orientation orientation, FlexGrid *grid);

    // Height of the fixed rows (horizontal) or width of the fixed columns (vertical).
    void setExtent(int pixels);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    FlexGrid *m_grid;
    int m_extent = 0;
};
