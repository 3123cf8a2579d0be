#include "platform/ui/GridTable.h"

#include "platform/ui/FlexGrid.h"
#include "platform/ui/FlexGridModel.h"

namespace {

GridTable::Layout layoutOf(const FlexGrid &grid)
{
    GridTable::Layout layout;
    for (int c = 0; c < grid.Cols(); ++c)
        layout.columns.push_back({grid.ColWidth(c), grid.ColAlignment(c), grid.MergeCol(c)});
    layout.fixedRows = grid.FixedRows();
    layout.headerHeight = grid.RowHeight(0);
    layout.font = grid.font();
    return layout;
}

} // namespace

GridTable::GridTable(const FlexGrid &grid) : m_cells(grid.cells()), m_layout(layoutOf(grid)) {}

GridTable::GridTable(const FlexGridModel &cells, Layout layout) : m_cells(cells), m_layout(std::move(layout)) {}

int GridTable::rows() const
{
    return m_cells.rowCount();
}

QString GridTable::text(int row, int col) const
{
    return m_cells.text(row, col);
}

std::optional<Decimal> GridTable::number(int row, int col) const
{
    return m_cells.number(row, col);
}

std::optional<std::string_view> GridTable::utf8(int row, int col) const
{
    return m_cells.utf8(row, col);
}
