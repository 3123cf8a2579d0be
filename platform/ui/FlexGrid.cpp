#include "platform/ui/FlexGrid.h"

#include <QMouseEvent>

#include "platform/ui/FlexGridAlignment.h"
#include "platform/ui/FlexGridCorner.h"
#include "platform/ui/FlexGridDelegate.h"
#include "platform/ui/FlexGridFixedPane.h"
#include "platform/ui/FlexGridFormat.h"
#include "platform/ui/FlexGridModel.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/Twips.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int DefaultColWidth = 960;   // twips
constexpr int CellPadding = 45;        // twips on each side of a cell's text
constexpr int MaxMergeScan = 2000;     // rows looked at in each direction for a merged run
const QColor GridLineColor(0xc8, 0xc8, 0xc8);
const QColor FixedShadowColor(0x9a, 0x9a, 0x9a);
const QColor FixedLightColor(0xff, 0xff, 0xff);

int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
         | (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent),
      m_model(new FlexGridModel(this)),
      m_fixedRowsPane(new FlexGridFixedPane(Qt::Horizontal, this)),
      m_fixedColsPane(new FlexGridFixedPane(Qt::Vertical, this)),
      m_corner(new FlexGridCorner(this))
{
    setHorizontalHeader(m_fixedRowsPane);
    setVerticalHeader(m_fixedColsPane);
    setModel(m_model);
    setItemDelegate(new FlexGridDelegate(this));
    setShowGrid(false); // cells draw their own lines so merged cells can drop them
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setFocusPolicy(Qt::StrongFocus);
    horizontalHeader()->setDefaultSectionSize(Twips::toPixels(DefaultColWidth));
    verticalHeader()->setMinimumSectionSize(1);

    m_model->setRows(2);
    setCols(2);
    applyFixedRows(0);
    applyRowHeights();

    // The fixed panes and the corner take no mouse input of their own: it comes here.
    for (QWidget *pane : {m_fixedRowsPane->viewport(), m_fixedColsPane->viewport(), static_cast<QWidget *>(m_corner)})
        pane->installEventFilter(this);
}

bool FlexGrid::eventFilter(QObject *watched, QEvent *event)
{
    const bool pane = watched == m_fixedRowsPane->viewport() || watched == m_fixedColsPane->viewport()
        || watched == m_corner;
    if (!pane)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return QTableView::eventFilter(watched, event);
    }
    // Only mouse events reach the cast.
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint at = static_cast<QWidget *>(watched)->mapTo(this, mouse->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress)
        pressAt(at, mouse);
    else if (event->type() == QEvent::MouseMove)
        moveAt(at, mouse);
    else if (event->type() == QEvent::MouseButtonRelease)
        releaseAt(at, mouse);
    else
        doubleClickAt(at, mouse);
    return true;
}

FlexGrid::~FlexGrid() = default;

// ---------------------------------------------------------------- shape and contents

void FlexGrid::setFormatString(const QString &format)
{
    const QList<FlexGridFormatColumn> columns = parseFlexGridFormat(format);
    if (Rows() < 1)
        setRows(1);
    setCols(static_cast<int>(columns.size()));
    for (int col = 0; col < columns.size(); ++col) {
        const FlexGridFormatColumn &column = columns[col];
        m_model->setText(0, col, column.heading);
        m_colAlignment[col] = column.alignment;
        m_fixedAlignment[col] = column.alignment;
        // An untitled column keeps the default width; a titled one is as wide as its
        // heading, blanks included, with the cell's margins.
        m_colWidths[col] = column.heading.isEmpty()
            ? DefaultColWidth
            : TextMeasure::widthTwips(font(), column.heading) + 2 * CellPadding;
    }
    applyColumnLayout();
}

int FlexGrid::Rows() const
{
    return m_model->rowCount();
}

void FlexGrid::setRows(int rows)
{
    rows = std::max(rows, 0);
    const bool shrinking = rows < Rows();
    const int previousFixed = m_fixedRows;
    m_fixedRows = std::min(m_fixedRows, rows);
    for (auto it = m_rowHeights.begin(); it != m_rowHeights.end();)
        it = it.key() >= rows ? m_rowHeights.erase(it) : std::next(it);
    for (auto it = m_mergeRows.begin(); it != m_mergeRows.end();)
        it = *it >= rows ? m_mergeRows.erase(it) : std::next(it);
    m_model->setRows(rows);
    const int last = std::max(rows - 1, 0);
    m_row = std::min(m_row, last);
    m_rowSel = std::min(m_rowSel, last);
    if (m_fixedRows != previousFixed)
        applyFixedRows(previousFixed);
    else if (shrinking)
        updateGeometries(); // keeps TopRow within the rows that are left
    if (isVisible())
        repaintAll();
}

int FlexGrid::Cols() const
{
    return m_model->columnCount();
}

void FlexGrid::setCols(int cols)
{
    cols = std::max(cols, 0);
    m_fixedCols = std::min(m_fixedCols, cols);
    m_model->setColumns(cols);
    m_colWidths.resize(cols, DefaultColWidth);
    m_colAlignment.resize(cols, FlexGridAlignment::General);
    m_fixedAlignment.resize(cols, FlexGridAlignment::General);
    m_mergeCol.resize(cols, false);
    const int last = std::max(cols - 1, 0);
    m_col = std::min(m_col, last);
    m_colSel = std::min(m_colSel, last);
    applyColumnLayout();
}

int FlexGrid::FixedRows() const
{
    return m_fixedRows;
}

void FlexGrid::setFixedRows(int rows)
{
    const int previous = m_fixedRows;
    m_fixedRows = std::clamp(rows, 0, Rows());
    applyFixedRows(previous);
}

int FlexGrid::FixedCols() const
{
    return m_fixedCols;
}

void FlexGrid::setFixedCols(int cols)
{
    m_fixedCols = std::clamp(cols, 0, Cols());
    applyColumnLayout();
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return m_model->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    m_model->setText(row, col, text);
    // A hidden grid is painted afresh when shown, so filling it costs no repaint.
    if (isVisible())
        repaintCell(row, col);
}

std::optional<Decimal> FlexGrid::cellNumber(int row, int col) const
{
    return m_model->number(row, col);
}

void FlexGrid::setCellNumber(int row, int col, const Decimal &number, const QString &text)
{
    m_model->setNumber(row, col, text, number);
    if (isVisible())
        repaintCell(row, col);
}

void FlexGrid::setTableRows(int firstRow, std::shared_ptr<const db::ResultTable> table,
                            std::vector<FlexGridTableColumn> columns)
{
    m_model->setTableRows(firstRow, std::move(table), std::move(columns));
    if (isVisible())
        repaintAll();
}

void FlexGrid::setRowTexts(int row, const QString *texts, int count)
{
    m_model->setRowTexts(row, texts, count);
    if (isVisible())
        for (int col = 0; col < std::min(count, Cols()); ++col)
            repaintCell(row, col);
}

void FlexGrid::removeRow(int row)
{
    if (!validRow(row) || row < m_fixedRows)
        return;
    QHash<int, int> heights;
    for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it) {
        if (it.key() != row)
            heights.insert(it.key() > row ? it.key() - 1 : it.key(), it.value());
    }
    m_rowHeights = heights;
    QSet<int> mergeRows;
    for (int r : std::as_const(m_mergeRows))
        if (r != row)
            mergeRows.insert(r > row ? r - 1 : r);
    m_mergeRows = mergeRows;
    m_model->removeRowAt(row);
    const int last = std::max(Rows() - 1, 0);
    m_row = std::min(m_row, last);
    m_rowSel = std::min(m_rowSel, last);
    repaintAll();
}

// ---------------------------------------------------------------- geometry

int FlexGrid::ColWidth(int col) const
{
    return validColumn(col) ? m_colWidths[col] : 0;
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (!validColumn(col))
        return;
    m_colWidths[col] = std::max(twips, 0);
    applyColumnLayout();
}

int FlexGrid::RowHeight(int row) const
{
    return validRow(row) ? Twips::fromPixels(rowHeightPixels(row)) : 0;
}

void FlexGrid::setRowHeight(int row, int twips)
{
    if (!validRow(row))
        return;
    m_rowHeights.insert(row, std::max(twips, 0));
    if (row < m_fixedRows)
        applyFixedRows(m_fixedRows);
    else
        verticalHeader()->resizeSection(row, rowHeightPixels(row));
}

int FlexGrid::RowHeightMin() const
{
    return m_rowHeightMin;
}

void FlexGrid::setRowHeightMin(int twips)
{
    m_rowHeightMin = std::max(twips, 0);
    applyRowHeights();
}

int FlexGrid::rowHeightPixels(int row) const
{
    const int minimum = Twips::toPixels(m_rowHeightMin);
    auto found = m_rowHeights.constFind(row);
    const int height = found == m_rowHeights.cend() ? defaultRowHeightPixels() : Twips::toPixels(*found);
    return std::max(height, minimum);
}

int FlexGrid::colWidthPixels(int col) const
{
    return validColumn(col) ? Twips::toPixels(m_colWidths[col]) : 0;
}

int FlexGrid::defaultRowHeightPixels() const
{
    return fontMetrics().height() + 4;
}

// ---------------------------------------------------------------- alignment and merging

int FlexGrid::ColAlignment(int col) const
{
    return validColumn(col) ? m_colAlignment[col] : FlexGridAlignment::General;
}

void FlexGrid::setColAlignment(int col, int value)
{
    if (!validColumn(col))
        return;
    m_colAlignment[col] = value;
    repaintAll();
}

int FlexGrid::FixedAlignment(int col) const
{
    return validColumn(col) ? m_fixedAlignment[col] : FlexGridAlignment::General;
}

void FlexGrid::setFixedAlignment(int col, int value)
{
    if (!validColumn(col))
        return;
    m_fixedAlignment[col] = value;
    repaintAll();
}

int FlexGrid::MergeCells() const
{
    return m_mergeCells;
}

void FlexGrid::setMergeCells(int mode)
{
    m_mergeCells = mode;
    repaintAll();
}

bool FlexGrid::MergeRow(int row) const
{
    return m_mergeRows.contains(row);
}

void FlexGrid::setMergeRow(int row, bool mergeable)
{
    if (!validRow(row))
        return;
    if (mergeable)
        m_mergeRows.insert(row);
    else
        m_mergeRows.remove(row);
    repaintAll();
}

QRect FlexGrid::mergedRange(int row, int col) const
{
    if (!m_model->contains(row, col))
        return {};
    int top = row, bottom = row, left = col, right = col;
    mergeRun(row, col, &top, &bottom);
    mergeRunAcross(row, col, &left, &right);
    return QRect(left, top, right - left + 1, bottom - top + 1);
}

bool FlexGrid::MergeCol(int col) const
{
    return validColumn(col) && m_mergeCol[col];
}

void FlexGrid::setMergeCol(int col, bool mergeable)
{
    if (!validColumn(col))
        return;
    m_mergeCol[col] = mergeable;
    repaintAll();
}

// ---------------------------------------------------------------- current cell and selection

int FlexGrid::Row() const
{
    return m_row;
}

void FlexGrid::setRow(int row)
{
    if (!validRow(row))
        return;
    m_row = m_rowSel = row;
    repaintAll();
}

int FlexGrid::Col() const
{
    return m_col;
}

void FlexGrid::setCol(int col)
{
    if (!validColumn(col))
        return;
    m_col = m_colSel = col;
    repaintAll();
}

int FlexGrid::RowSel() const
{
    return m_rowSel;
}

void FlexGrid::setRowSel(int row)
{
    if (!validRow(row))
        return;
    m_rowSel = row;
    repaintAll();
}

int FlexGrid::ColSel() const
{
    return m_colSel;
}

void FlexGrid::setColSel(int col)
{
    if (!validColumn(col))
        return;
    m_colSel = col;
    repaintAll();
}

void FlexGrid::selectRowAcross(int row, int firstCol, int lastCol)
{
    if (!validRow(row) || !validColumn(firstCol) || !validColumn(lastCol))
        return;
    m_row = m_rowSel = row;
    m_col = firstCol;
    m_colSel = lastCol;
    repaintAll();
}

QColor FlexGrid::CellBackColor() const
{
    return m_model->backColor(m_row, m_col);
}

void FlexGrid::setCellBackColor(const QColor &color)
{
    m_model->setBackColor(m_row, m_col, color);
    repaintCell(m_row, m_col);
}

QColor FlexGrid::CellForeColor() const
{
    return m_model->foreColor(m_row, m_col);
}

void FlexGrid::setCellForeColor(const QColor &color)
{
    m_model->setForeColor(m_row, m_col, color);
    repaintCell(m_row, m_col);
}

QColor FlexGrid::BackColor() const
{
    return palette().color(QPalette::Base);
}

bool FlexGrid::isSelected(int row, int col) const
{
    if (row < m_fixedRows || col < m_fixedCols)
        return false;
    if (m_row == m_rowSel && m_col == m_colSel)
        return false; // a single cell shows as the focus cell, not as a selection
    return row >= std::min(m_row, m_rowSel) && row <= std::max(m_row, m_rowSel)
        && col >= std::min(m_col, m_colSel) && col <= std::max(m_col, m_colSel);
}

// ---------------------------------------------------------------- scrolling

int FlexGrid::TopRow() const
{
    // The scroll position counts whole rows after the fixed ones. At the end of the
    // range the view shows the last row entirely and a sliver of the row above the
    // top row may show; the top row is still the first row shown in full.
    return m_fixedRows + verticalScrollBar()->value();
}

void FlexGrid::setTopRow(int row)
{
    // The scroll range follows the rows lazily; bring it up to date first.
    updateGeometries();
    verticalScrollBar()->setValue(std::max(row, m_fixedRows) - m_fixedRows);
}

int FlexGrid::LeftCol() const
{
    const int col = columnAt(0);
    return col < 0 ? m_fixedCols : col;
}

void FlexGrid::setLeftCol(int col)
{
    updateGeometries();
    // Scrolling counts the shown columns only; hidden ones (width 0) are skipped.
    int shown = 0;
    for (int c = m_fixedCols; c < std::min(col, Cols()); ++c)
        shown += isColumnHidden(c) ? 0 : 1;
    horizontalScrollBar()->setValue(shown);
}

bool FlexGrid::RowIsVisible(int row) const
{
    if (!validRow(row))
        return false;
    if (row < m_fixedRows)
        return true;
    const int top = rowViewportPosition(row);
    return top >= 0 && top + rowHeight(row) <= viewport()->height();
}

int FlexGrid::MouseRow() const
{
    return m_mouse.row;
}

int FlexGrid::MouseCol() const
{
    return m_mouse.col;
}

void FlexGrid::installInputFilter(QObject *filter)
{
    for (QObject *target : {static_cast<QObject *>(this), static_cast<QObject *>(viewport()),
                            static_cast<QObject *>(m_fixedRowsPane->viewport()),
                            static_cast<QObject *>(m_fixedColsPane->viewport()), static_cast<QObject *>(m_corner)})
        target->installEventFilter(filter);
}

void FlexGrid::removeInputFilter(QObject *filter)
{
    for (QObject *target : {static_cast<QObject *>(this), static_cast<QObject *>(viewport()),
                            static_cast<QObject *>(m_fixedRowsPane->viewport()),
                            static_cast<QObject *>(m_fixedColsPane->viewport()), static_cast<QObject *>(m_corner)})
        target->removeEventFilter(filter);
}

// ---------------------------------------------------------------- painting

bool FlexGrid::mergesDown(int row, int col) const
{
    if (m_mergeCells <= 0 || m_mergeCells > 4 || !MergeCol(col))
        return false;
    // Merging never joins a fixed row with a scrolling one.
    const int next = row + 1;
    if (next >= Rows() || (row < m_fixedRows) != (next < m_fixedRows))
        return false;
    const QString text = m_model->text(row, col);
    if (text.isEmpty() || text != m_model->text(next, col))
        return false;
    // Restricted columns merge only within the runs of the column to their left.
    const bool restricted = m_mergeCells == 3 || m_mergeCells == 4;
    return !restricted || col == 0 || mergesDown(row, col - 1);
}

bool FlexGrid::mergesRight(int row, int col) const
{
    if (m_mergeCells <= 0 || m_mergeCells > 4 || !MergeRow(row))
        return false;
    const int next = col + 1;
    if (next >= Cols() || (col < m_fixedCols) != (next < m_fixedCols))
        return false;
    const QString text = m_model->text(row, col);
    if (text.isEmpty() || text != m_model->text(row, next))
        return false;
    // Restricted rows merge only within the runs of the row above.
    const bool restricted = m_mergeCells == 2 || m_mergeCells == 4;
    return !restricted || row == 0 || mergesRight(row - 1, col);
}

void FlexGrid::mergeRun(int row, int col, int *first, int *last) const
{
    *first = *last = row;
    if (m_mergeCells == 0 || !MergeCol(col))
        return;
    while (*first > 0 && row - *first < MaxMergeScan && mergesDown(*first - 1, col))
        --*first;
    while (*last - row < MaxMergeScan && mergesDown(*last, col))
        ++*last;
}

void FlexGrid::mergeRunAcross(int row, int col, int *first, int *last) const
{
    *first = *last = col;
    if (m_mergeCells == 0 || !MergeRow(row))
        return;
    while (*first > 0 && mergesRight(row, *first - 1))
        --*first;
    while (mergesRight(row, *last))
        ++*last;
}

int FlexGrid::widthOfCols(int first, int last) const
{
    int width = 0;
    for (int col = first; col < last; ++col)
        width += colWidthPixels(col);
    return width;
}

int FlexGrid::heightOfRows(int first, int last) const
{
    int height = 0;
    for (int row = first; row < last; ++row)
        height += row < m_fixedRows ? rowHeightPixels(row) : rowHeight(row);
    return height;
}

void FlexGrid::paintCell(QPainter *painter, const QRect &rect, int row, int col) const
{
    const bool fixed = row < m_fixedRows || col < m_fixedCols;
    const bool selected = isSelected(row, col);
    int first = row;
    int last = row;
    mergeRun(row, col, &first, &last);
    int firstCol = col;
    int lastCol = col;
    mergeRunAcross(row, col, &firstCol, &lastCol);

    QColor back = m_model->backColor(row, col);
    QColor fore = m_model->foreColor(row, col);
    if (selected) {
        back = palette().color(QPalette::Highlight);
        fore = palette().color(QPalette::HighlightedText);
    }
    if (!back.isValid())
        back = fixed ? palette().color(QPalette::Button) : BackColor();
    if (!fore.isValid())
        fore = palette().color(fixed ? QPalette::ButtonText : QPalette::Text);
    painter->fillRect(rect, back);

    // The text of a merged run is placed in the whole run and clipped to this cell,
    // so the run reads as one cell whichever of its rows are repainted.
    const QString text = m_model->text(row, col);
    if (!text.isEmpty()) {
        QRect textRect = rect;
        textRect.setTop(rect.top() - heightOfRows(first, row));
        textRect.setBottom(rect.bottom() + heightOfRows(row + 1, last + 1));
        textRect.setLeft(rect.left() - widthOfCols(firstCol, col));
        textRect.setRight(rect.right() + widthOfCols(col + 1, lastCol + 1));
        const int padding = Twips::toPixels(CellPadding);
        const int alignment = fixed && row < m_fixedRows ? FixedAlignment(col) : ColAlignment(col);
        painter->save();
        painter->setClipRect(rect, Qt::IntersectClip);
        painter->setPen(fore);
        painter->setFont(font());
        painter->drawText(textRect.adjusted(padding, 1, -padding, -1),
                          int(FlexGridAlignment::toQt(alignment, text)) | Qt::TextSingleLine, text);
        painter->restore();
    }

    painter->save();
    if (fixed) {
        painter->setPen(FixedLightColor);
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(FixedShadowColor);
    } else {
        painter->setPen(GridLineColor);
    }
    if (lastCol == col)
        painter->drawLine(rect.topRight(), rect.bottomRight());
    if (last == row)
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (!fixed && row == m_row && col == m_col && hasFocus()) {
        QPen focus(palette().color(QPalette::Text));
        focus.setStyle(Qt::DotLine);
        painter->setPen(focus);
        painter->drawRect(rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

void FlexGrid::repaintAll()
{
    viewport()->update();
    m_fixedRowsPane->viewport()->update();
    m_fixedColsPane->viewport()->update();
    m_corner->update();
}

void FlexGrid::repaintCell(int row, int col)
{
    if (!m_model->contains(row, col))
        return;
    if (row < m_fixedRows || col < m_fixedCols || MergeCol(col) || MergeRow(row)) {
        repaintAll();
        return;
    }
    viewport()->update(visualRect(m_model->index(row, col)));
}

// ---------------------------------------------------------------- layout of the views

void FlexGrid::applyColumnLayout()
{
    int fixedWidth = 0;
    for (int col = 0; col < Cols(); ++col) {
        const int width = colWidthPixels(col);
        if (col < m_fixedCols) {
            fixedWidth += width;
            setColumnHidden(col, true);
            continue;
        }
        setColumnHidden(col, width == 0);
        if (width > 0)
            horizontalHeader()->resizeSection(col, width);
    }
    m_fixedColsPane->setExtent(fixedWidth);
    m_fixedColsPane->setVisible(fixedWidth > 0);
    updateGeometries();
    repaintAll();
}

void FlexGrid::applyFixedRows(int previous)
{
    int fixedHeight = 0;
    for (int row = 0; row < m_fixedRows; ++row) {
        fixedHeight += rowHeightPixels(row);
        setRowHidden(row, true);
    }
    for (int row = m_fixedRows; row < std::min(previous, Rows()); ++row) {
        setRowHidden(row, false);
        verticalHeader()->resizeSection(row, rowHeightPixels(row));
    }
    m_fixedRowsPane->setExtent(fixedHeight);
    m_fixedRowsPane->setVisible(fixedHeight > 0);
    updateGeometries();
    repaintAll();
}

void FlexGrid::applyRowHeights()
{
    verticalHeader()->setDefaultSectionSize(std::max(defaultRowHeightPixels(), Twips::toPixels(m_rowHeightMin)));
    for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it) {
        if (it.key() >= m_fixedRows)
            verticalHeader()->resizeSection(it.key(), rowHeightPixels(it.key()));
    }
    applyFixedRows(m_fixedRows);
}

void FlexGrid::updateGeometries()
{
    QTableView::updateGeometries();
    alignScrolledEdges();
    const bool both = m_fixedRowsPane->isVisible() && m_fixedColsPane->isVisible();
    m_corner->setVisible(both);
    if (both) {
        m_corner->setGeometry(m_fixedColsPane->x(), m_fixedRowsPane->y(), m_fixedColsPane->width(),
                              m_fixedRowsPane->height());
        m_corner->raise();
    }
}

void FlexGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    alignScrolledEdges();
}

void FlexGrid::alignScrolledEdges()
{
    // At the end of its range a Qt view lines the last row up with the bottom edge,
    // leaving a sliver of the row above at the top. The rows from the top row on fit
    // by definition of the range, so line the top row up with the top edge instead,
    // as at every other position; the same for the left column.
    QScrollBar *vertical = verticalScrollBar();
    if (vertical->value() > 0 && vertical->value() == vertical->maximum()) {
        verticalHeader()->setOffsetToSectionPosition(vertical->value());
        viewport()->update();
    }
    QScrollBar *horizontal = horizontalScrollBar();
    if (horizontal->value() > 0 && horizontal->value() == horizontal->maximum()) {
        horizontalHeader()->setOffsetToSectionPosition(horizontal->value());
        viewport()->update();
    }
}

void FlexGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyRowHeights();
}

void FlexGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    updateGeometries();
}

bool FlexGrid::validColumn(int col) const
{
    return col >= 0 && col < Cols();
}

bool FlexGrid::validRow(int row) const
{
    return row >= 0 && row < Rows();
}

// ---------------------------------------------------------------- mouse and keyboard

FlexGrid::Cell FlexGrid::cellAt(const QPoint &pos) const
{
    Cell cell;
    const QPoint inViewport = viewport()->mapFrom(this, pos);
    if (pos.y() < viewport()->y()) {
        int y = m_fixedRowsPane->y();
        for (int row = 0; row < m_fixedRows && cell.row < 0; ++row) {
            y += rowHeightPixels(row);
            if (pos.y() < y)
                cell.row = row;
        }
    } else {
        cell.row = rowAt(inViewport.y());
    }
    if (pos.x() < viewport()->x()) {
        int x = m_fixedColsPane->x();
        for (int col = 0; col < m_fixedCols && cell.col < 0; ++col) {
            x += colWidthPixels(col);
            if (pos.x() < x)
                cell.col = col;
        }
    } else {
        cell.col = columnAt(inViewport.x());
    }
    if (cell.row < 0 || cell.col < 0)
        return {};
    return cell;
}

void FlexGrid::trackMouse(const QPoint &pos)
{
    m_mouse = cellAt(pos);
}

void FlexGrid::pressAt(const QPoint &pos, QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    trackMouse(pos);
    m_drag = Drag::None;
    m_releaseEndsDoubleClick = false;
    if (event->button() != Qt::LeftButton || m_mouse.row < 0)
        return;
    const int lastRow = Rows() - 1;
    const int lastCol = Cols() - 1;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (m_mouse.row < m_fixedRows && m_mouse.col < m_fixedCols) {
        // The corner selects every scrolling cell.
        m_row = std::min(m_fixedRows, lastRow);
        m_col = std::min(m_fixedCols, lastCol);
        m_rowSel = lastRow;
        m_colSel = lastCol;
    } else if (m_mouse.row < m_fixedRows) {
        // A fixed row's cell selects its column.
        m_drag = Drag::Columns;
        if (!extend) {
            m_row = std::min(m_fixedRows, lastRow);
            m_col = m_mouse.col;
        }
        m_rowSel = lastRow;
        m_colSel = m_mouse.col;
    } else if (m_mouse.col < m_fixedCols) {
        // A fixed column's cell selects its row.
        m_drag = Drag::Rows;
        if (!extend) {
            m_row = m_mouse.row;
            m_col = std::min(m_fixedCols, lastCol);
        }
        m_rowSel = m_mouse.row;
        m_colSel = lastCol;
    } else {
        m_drag = Drag::Cells;
        if (!extend) {
            m_row = m_mouse.row;
            m_col = m_mouse.col;
        }
        m_rowSel = m_mouse.row;
        m_colSel = m_mouse.col;
    }
    repaintAll();
}

void FlexGrid::moveAt(const QPoint &pos, QMouseEvent *event)
{
    if (m_drag == Drag::None || !(event->buttons() & Qt::LeftButton))
        return;
    const Cell cell = cellAt(pos);
    if (cell.row < 0)
        return;
    if (m_drag != Drag::Columns && cell.row >= m_fixedRows)
        m_rowSel = cell.row;
    if (m_drag != Drag::Rows && cell.col >= m_fixedCols)
        m_colSel = cell.col;
    m_mouse = cell;
    if (cell.row >= m_fixedRows && cell.col >= m_fixedCols)
        scrollTo(m_model->index(cell.row, cell.col));
    repaintAll();
}

void FlexGrid::releaseAt(const QPoint &pos, QMouseEvent *event)
{
    trackMouse(pos);
    m_drag = Drag::None;
    const QPoint twips(Twips::fromPixels(pos.x()), Twips::fromPixels(pos.y()));
    emit mouseReleased(int(event->button()), shiftState(event->modifiers()), twips.x(), twips.y());
    // The release that ends a double click reports the mouse only; the double click
    // was reported on its own.
    if (m_releaseEndsDoubleClick) {
        m_releaseEndsDoubleClick = false;
        return;
    }
    if (event->button() == Qt::LeftButton)
        emit cellClicked();
}

void FlexGrid::doubleClickAt(const QPoint &pos, QMouseEvent *event)
{
    pressAt(pos, event);
    m_releaseEndsDoubleClick = true;
    if (event->button() == Qt::LeftButton)
        emit cellDoubleClicked();
}

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    pressAt(viewport()->mapTo(this, event->position().toPoint()), event);
}

void FlexGrid::mouseMoveEvent(QMouseEvent *event)
{
    moveAt(viewport()->mapTo(this, event->position().toPoint()), event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent *event)
{
    releaseAt(viewport()->mapTo(this, event->position().toPoint()), event);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    doubleClickAt(viewport()->mapTo(this, event->position().toPoint()), event);
}

void FlexGrid::moveCurrent(int rowStep, int colStep, bool extend)
{
    const int fromRow = extend ? m_rowSel : m_row;
    const int fromCol = extend ? m_colSel : m_col;
    const int row = std::clamp(fromRow + rowStep, std::min(m_fixedRows, Rows() - 1), Rows() - 1);
    const int col = std::clamp(fromCol + colStep, std::min(m_fixedCols, Cols() - 1), Cols() - 1);
    if (row < 0 || col < 0)
        return;
    if (!extend) {
        m_row = row;
        m_col = col;
    }
    m_rowSel = row;
    m_colSel = col;
    if (row >= m_fixedRows && col >= m_fixedCols)
        scrollTo(m_model->index(row, col));
    repaintAll();
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, viewport()->height() / std::max(1, defaultRowHeightPixels()) - 1);
    switch (event->key()) {
    case Qt::Key_Up: moveCurrent(-1, 0, extend); break;
    case Qt::Key_Down: moveCurrent(1, 0, extend); break;
    case Qt::Key_Left: moveCurrent(0, -1, extend); break;
    case Qt::Key_Right: moveCurrent(0, 1, extend); break;
    case Qt::Key_PageUp: moveCurrent(-page, 0, extend); break;
    case Qt::Key_PageDown: moveCurrent(page, 0, extend); break;
    case Qt::Key_Home: moveCurrent(control ? -Rows() : 0, control ? 0 : -Cols(), extend); break;
    case Qt::Key_End: moveCurrent(control ? Rows() : 0, control ? 0 : Cols(), extend); break;
    default: event->ignore(); return;
    }
    event->accept();
}

void FlexGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    repaintCell(m_row, m_col);
}

void FlexGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    repaintCell(m_row, m_col);
    // Switching to another application or opening a menu is no loss of focus
    // within the window.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit focusLost();
}
