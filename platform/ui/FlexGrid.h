#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QTableView>

#include "platform/ui/FlexGridModel.h"

#include <memory>

class FlexGridFixedPane;
class FlexGridCorner;

// The grid of the windows: rows and columns of text cells, the first FixedRows rows
// and FixedCols columns fixed (they stay in place while the rest scrolls), column
// widths and row heights in twips, per-column alignment and vertical merging of equal
// cells, a current cell with a selection range, and per-cell colours.
//
// Row 0 is part of Rows. Indexes out of range are ignored on writing and read as
// empty. The fixed rows are painted by the horizontal header, the fixed columns by
// the vertical header and the corner by a small pane, so they never scroll.
class FlexGrid : public QTableView
{
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    // ---- shape and contents
    // Columns from a format string (see FlexGridFormat.h): headings in row 0,
    // alignments, and initial widths from the headings' widths in the grid's font.
    void setFormatString(const QString &format);
    int Rows() const;
    void setRows(int rows); // growing adds empty rows, shrinking drops rows
    int Cols() const;
    void setCols(int cols);
    int FixedRows() const;
    void setFixedRows(int rows);
    int FixedCols() const;
    void setFixedCols(int cols);
    QString TextMatrix(int row, int col) const;
    // The number a cell shows, when its rows come from a table column that keeps one
    // (see setTableRows) and it was not written since; otherwise none.
    std::optional<Decimal> cellNumber(int row, int col) const;
    // Writes a cell's text and the number it stands for (cellNumber gives it back until
    // the cell is written again).
    void setCellNumber(int row, int col, const Decimal &number, const QString &text);
    void setTextMatrix(int row, int col, const QString &text);
    // Columns 0 … count - 1 of a row at once, as setTextMatrix would set them.
    void setRowTexts(int row, const QString *texts, int count);
    // Rows firstRow … firstRow + the table's rows - 1 show the lines of a result table,
    // each of `columns` made from a line when it is shown or read (TextMatrix); cells
    // written later keep what was written (see FlexGridModel::setTableRows).
    void setTableRows(int firstRow, std::shared_ptr<const db::ResultTable> table, std::vector<FlexGridTableColumn> columns);
    void removeRow(int row);
    // The cells, read-only, for output that reads them without the widget (GridTable).
    const FlexGridModel &cells() const { return *m_model; }

    // ---- geometry, in twips
    int ColWidth(int col) const;
    void setColWidth(int col, int twips); // 0 hides the column
    int RowHeight(int row) const;
    void setRowHeight(int row, int twips);
    int RowHeightMin() const;
    void setRowHeightMin(int twips);

    // ---- alignment (FlexGridAlignment values) and merging
    int ColAlignment(int col) const;
    void setColAlignment(int col, int value);
    int FixedAlignment(int col) const;
    void setFixedAlignment(int col, int value);
    // Which equal neighbouring cells show as one, as a flex grid does it: equal,
    // non-empty cells of a mergeable column (MergeCol) merge down, of a mergeable row
    // (MergeRow) merge across, fixed cells never with scrolling ones.
    //   0 never; 1 free: every such pair merges;
    //   2 restrict rows: cells merge across only where the cells above them merge across;
    //   3 restrict columns: cells merge down only where the cells to their left merge down;
    //   4 restrict both.
    int MergeCells() const;
    void setMergeCells(int mode);
    bool MergeCol(int col) const;
    void setMergeCol(int col, bool mergeable);
    bool MergeRow(int row) const;
    void setMergeRow(int row, bool mergeable);
    // The block of cells that the cell shows as part of: x = first column, y = first
    // row, spanning width columns and height rows (1 x 1 when it is not merged).
    QRect mergedRange(int row, int col) const;

    // ---- current cell, selection and colours of the current cell
    int Row() const;
    void setRow(int row); // also collapses the selection to the row
    int Col() const;
    void setCol(int col);
    int RowSel() const;
    void setRowSel(int row);
    int ColSel() const;
    void setColSel(int col);
    // Makes row current and selects it from firstCol to lastCol.
    void selectRowAcross(int row, int firstCol, int lastCol);
    QColor CellBackColor() const; // invalid when the cell has the default colour
    void setCellBackColor(const QColor &color);
    QColor CellForeColor() const;
    void setCellForeColor(const QColor &color);
    QColor BackColor() const; // the default background of the scrolling cells

    // ---- scrolling
    int TopRow() const;
    void setTopRow(int row); // limited to what the grid can scroll to
    int LeftCol() const;
    void setLeftCol(int col);
    bool RowIsVisible(int row) const; // entirely inside the visible area
    int MouseRow() const;             // cell under the last mouse event, -1 outside cells
    int MouseCol() const;

    // An event filter that sees the grid's input events wherever they land (the
    // scrolling area and the fixed panes), before the grid handles them.
    void installInputFilter(QObject *filter);
    void removeInputFilter(QObject *filter);

    // ---- used by the fixed panes
    void paintCell(QPainter *painter, const QRect &rect, int row, int col) const;
    int rowHeightPixels(int row) const;
    int colWidthPixels(int col) const;

signals:
    void cellClicked();
    void cellDoubleClicked();
    // shift: 1 Shift, 2 Ctrl, 4 Alt, added up; x and y in twips inside the grid.
    void mouseReleased(int button, int shift, int x, int y);
    void focusLost();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:

    enum class Drag { None, Cells, Rows, Columns };
    struct Cell
    {
        int row = -1;
        int col = -1;
    };

    // Mouse handling shared by the scrolling area and the fixed panes; positions are
    // in the grid's own coordinates.
    void pressAt(const QPoint &pos, QMouseEvent *event);
    void moveAt(const QPoint &pos, QMouseEvent *event);
    void releaseAt(const QPoint &pos, QMouseEvent *event);
    void doubleClickAt(const QPoint &pos, QMouseEvent *event);
    Cell cellAt(const QPoint &pos) const;
    void trackMouse(const QPoint &pos);

    void moveCurrent(int rowStep, int colStep, bool extend);
    void applyColumnLayout();
    void applyFixedRows(int previous);
    void applyRowHeights();
    void repaintAll();
    void alignScrolledEdges();
    void repaintCell(int row, int col);
    int defaultRowHeightPixels() const;
    bool isSelected(int row, int col) const;
    bool mergesDown(int row, int col) const;
    bool mergesRight(int row, int col) const;
    void mergeRun(int row, int col, int *first, int *last) const;
    void mergeRunAcross(int row, int col, int *first, int *last) const;
    int widthOfCols(int first, int last) const; // columns first .. last - 1
    int heightOfRows(int first, int last) const; // rows first .. last - 1
    bool validColumn(int col) const;
    bool validRow(int row) const;

    FlexGridModel *m_model;
    FlexGridFixedPane *m_fixedRowsPane;
    FlexGridFixedPane *m_fixedColsPane;
    FlexGridCorner *m_corner;

    int m_fixedRows = 1;
    int m_fixedCols = 1;
    QList<int> m_colWidths; // twips
    QList<int> m_colAlignment;
    QList<int> m_fixedAlignment;
    QList<bool> m_mergeCol;
    QSet<int> m_mergeRows;
    QHash<int, int> m_rowHeights; // twips, rows whose height was set
    int m_rowHeightMin = 0;
    int m_mergeCells = 0;

    int m_row = 1;
    int m_col = 1;
    int m_rowSel = 1;
    int m_colSel = 1;
    Cell m_mouse;
    Drag m_drag = Drag::None;
    bool m_releaseEndsDoubleClick = false;
};
