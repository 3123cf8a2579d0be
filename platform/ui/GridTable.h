#pragma once

#include "platform/Decimal.h"

#include <QFont>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

class FlexGrid;
class FlexGridModel;

// A grid as printing and export read it, without the widget: its cells (the text
// shown, the number a cell keeps) from the grid's model, and the layout of its
// columns. Rows shown from a result table are read from the table's typed values as
// they are asked for. It reads the model as it is when asked, so it must not outlive
// the model; the layout is taken when it is made.
class GridTable
{
public:
    struct Column
    {
        int width = 0;     // twips; 0 for a hidden column
        int alignment = 0; // a FlexGridAlignment value
        bool mergeable = false; // equal cells one under the other show as one
    };
    struct Layout
    {
        std::vector<Column> columns;
        int fixedRows = 1;
        int headerHeight = 0; // twips, of row 0
        QFont font;
    };

    // A grid reads as its table, so the output functions take either.
    GridTable(const FlexGrid &grid); // NOLINT(google-explicit-constructor)
    // Cells of a model with a layout of one's own, for output made without a window.
    GridTable(const FlexGridModel &cells, Layout layout);

    int rows() const;
    int columns() const { return int(m_layout.columns.size()); }
    int fixedRows() const { return m_layout.fixedRows; }
    QString text(int row, int col) const;
    // The number a cell keeps beside its text (see FlexGrid::cellNumber), or none.
    std::optional<Decimal> number(int row, int col) const;
    // The UTF-8 of a cell that shows a table's text as it is, without making its
    // QString (see FlexGridModel::utf8); otherwise none, and text() gives it.
    std::optional<std::string_view> utf8(int row, int col) const;

    const Column &column(int col) const { return m_layout.columns[size_t(col)]; }
    int headerHeight() const { return m_layout.headerHeight; }
    const QFont &font() const { return m_layout.font; }

private:
    const FlexGridModel &m_cells;
    Layout m_layout;
};
