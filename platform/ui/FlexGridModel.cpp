#include "platform/ui/FlexGridModel.h"

#include "platform/db/ResultTable.h"

#include <QBrush>

FlexGridModel::FlexGridModel(QObject *parent) : QAbstractTableModel(parent) {}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole: {
        const QColor color = backColor(index.row(), index.column());
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    case Qt::ForegroundRole: {
        const QColor color = foreColor(index.row(), index.column());
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int, Qt::Orientation, int) const
{
    // Headings are ordinary cells of the fixed rows.
    return {};
}

void FlexGridModel::setRows(int rows)
{
    rows = std::max(rows, 0);
    const int current = static_cast<int>(m_rows.size());
    if (rows > current) {
        beginInsertRows({}, current, rows - 1);
        m_rows.resize(rows);
        endInsertRows();
    } else if (rows < current) {
        releaseTable(rows);
        moveNumbers([rows](int &row, int &) { return row < rows; });
        beginRemoveRows({}, rows, current - 1);
        m_rows.resize(rows);
        endRemoveRows();
    }
}

void FlexGridModel::setColumns(int columns)
{
    columns = std::max(columns, 0);
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    } else if (columns < m_columns) {
        releaseTable(rowCount());
        moveNumbers([columns](int &, int &column) { return column < columns; });
        beginRemoveColumns({}, columns, m_columns - 1);
        // Dropped columns lose their contents, so growing again gives empty cells.
        for (const std::unique_ptr<Row> &row : m_rows) {
            if (!row)
                continue;
            if (row->text.size() > columns)
                row->text.resize(columns);
            if (row->back.size() > columns)
                row->back.resize(columns);
            if (row->fore.size() > columns)
                row->fore.resize(columns);
        }
        m_columns = columns;
        endRemoveColumns();
    }
}

void FlexGridModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    releaseTable(rowCount());
    moveNumbers([row](int &r, int &) {
        if (r == row)
            return false;
        if (r > row)
            --r;
        return true;
    });
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

FlexGridModel::Row &FlexGridModel::rowFor(int row)
{
    std::unique_ptr<Row> &cells = m_rows[size_t(row)];
    if (!cells)
        cells = std::make_unique<Row>();
    return *cells;
}

bool FlexGridModel::contains(int row, int column) const
{
    return row >= 0 && row < rowCount() && column >= 0 && column < m_columns;
}

bool FlexGridModel::inTable(int row, int column) const
{
    return m_table && row >= m_tableFirstRow && row < m_tableFirstRow + m_table->rowCount()
        && size_t(column) < m_tableText.size() && m_tableText[size_t(column)];
}

QString FlexGridModel::text(int row, int column) const
{
    if (!contains(row, column))
        return {};
    if (inTable(row, column)) {
        const auto written = m_tableWrites.constFind(cellKey(row, column));
        return written != m_tableWrites.constEnd() ? *written : m_tableText[size_t(column)](*m_table, row - m_tableFirstRow);
    }
    const Row *cells = m_rows[size_t(row)].get();
    return cells && column < cells->text.size() ? cells->text[column] : QString();
}

std::optional<std::string_view> FlexGridModel::utf8(int row, int column) const
{
    if (!contains(row, column) || !inTable(row, column))
        return std::nullopt;
    const int shown = m_tableColumnShown[size_t(column)];
    if (shown < 0 || m_table->kind(shown) != db::ResultTable::Kind::Text || m_tableWrites.contains(cellKey(row, column)))
        return std::nullopt;
    return m_table->utf8(row - m_tableFirstRow, shown);
}

FlexGridTableColumn FlexGridTableColumn::textOf(int gridColumn, int tableColumn)
{
    return {gridColumn, [tableColumn](const db::ResultTable &t, int line) { return t.text(line, tableColumn); }, {},
            tableColumn};
}

void FlexGridModel::moveNumbers(const std::function<bool(int &row, int &column)> &keep)
{
    if (m_numbers.isEmpty())
        return;
    QHash<quint64, Decimal> kept;
    for (auto it = m_numbers.constBegin(); it != m_numbers.constEnd(); ++it) {
        int row = int(it.key() >> 32), column = int(quint32(it.key()));
        if (keep(row, column))
            kept.insert(cellKey(row, column), it.value());
    }
    m_numbers = std::move(kept);
}

void FlexGridModel::setNumber(int row, int column, const QString &text, const Decimal &number)
{
    if (!contains(row, column))
        return;
    setText(row, column, text);
    m_numbers.insert(cellKey(row, column), number);
}

std::optional<Decimal> FlexGridModel::number(int row, int column) const
{
    if (const auto written = m_numbers.constFind(cellKey(row, column)); written != m_numbers.constEnd())
        return *written;
    if (!contains(row, column) || !inTable(row, column) || !m_tableNumber[size_t(column)]
        || m_tableWrites.contains(cellKey(row, column)))
        return std::nullopt;
    return m_tableNumber[size_t(column)](*m_table, row - m_tableFirstRow);
}

void FlexGridModel::setRowTexts(int row, const QString *texts, int count)
{
    count = std::min(count, m_columns);
    if (!contains(row, 0) || count <= 0)
        return;
    QList<QString> &cells = rowFor(row).text;
    if (cells.size() < m_columns)
        cells.resize(m_columns);
    for (int column = 0; column < count; ++column) {
        m_numbers.remove(cellKey(row, column));
        if (inTable(row, column))
            m_tableWrites.insert(cellKey(row, column), texts[column]);
        else
            cells[column] = texts[column];
    }
    noteChange(row, 0, TextChanged);
    noteChange(row, count - 1, TextChanged);
}

void FlexGridModel::setText(int row, int column, const QString &text)
{
    if (!contains(row, column))
        return;
    m_numbers.remove(cellKey(row, column));
    if (inTable(row, column)) {
        if (FlexGridModel::text(row, column) == text)
            return;
        m_tableWrites.insert(cellKey(row, column), text);
        noteChange(row, column, TextChanged);
        return;
    }
    if (text.isEmpty() && !m_rows[size_t(row)])
        return;
    QList<QString> &cells = rowFor(row).text;
    if (column >= cells.size()) {
        if (text.isEmpty())
            return;
        cells.resize(m_columns);
    } else if (cells[column] == text) {
        return;
    }
    cells[column] = text;
    noteChange(row, column, TextChanged);
}

void FlexGridModel::setTableRows(int firstRow, std::shared_ptr<const db::ResultTable> table,
                                 std::vector<FlexGridTableColumn> columns)
{
    releaseTable(firstRow);
    if (!table || table->rowCount() == 0 || !contains(firstRow, 0) || !contains(firstRow + table->rowCount() - 1, 0))
        return;
    m_table = std::move(table);
    m_tableFirstRow = firstRow;
    m_tableText.assign(size_t(m_columns), {});
    m_tableNumber.assign(size_t(m_columns), {});
    m_tableColumnShown.assign(size_t(m_columns), -1);
    for (FlexGridTableColumn &column : columns) {
        if (column.gridColumn >= 0 && column.gridColumn < m_columns) {
            m_tableText[size_t(column.gridColumn)] = std::move(column.text);
            m_tableNumber[size_t(column.gridColumn)] = std::move(column.number);
            if (column.tableColumn >= 0 && column.tableColumn < m_table->columnCount())
                m_tableColumnShown[size_t(column.gridColumn)] = column.tableColumn;
        }
    }
    noteChange(firstRow, 0, TextChanged);
    noteChange(firstRow + m_table->rowCount() - 1, m_columns - 1, TextChanged);
}

void FlexGridModel::releaseTable(int endRow)
{
    if (!m_table)
        return;
    const int end = std::min({endRow, m_tableFirstRow + m_table->rowCount(), rowCount()});
    std::vector<QString> texts(static_cast<size_t>(m_columns));
    for (int row = m_tableFirstRow; row < end; ++row) {
        for (int column = 0; column < m_columns; ++column)
            texts[size_t(column)] = inTable(row, column) ? text(row, column) : QString();
        QList<QString> &cells = rowFor(row).text;
        if (cells.size() < m_columns)
            cells.resize(m_columns);
        for (int column = 0; column < m_columns; ++column)
            if (inTable(row, column))
                cells[column] = texts[size_t(column)];
    }
    m_table.reset();
    m_tableText.clear();
    m_tableNumber.clear();
    m_tableColumnShown.clear();
    m_tableWrites.clear();
}

QColor FlexGridModel::colorAt(const QList<QColor> &colors, int column)
{
    return column < colors.size() ? colors[column] : QColor();
}

bool FlexGridModel::setColorAt(QList<QColor> &colors, int column, const QColor &color)
{
    if (column >= colors.size()) {
        if (!color.isValid())
            return false;
        colors.resize(column + 1);
    } else if (colors[column] == color) {
        return false;
    }
    colors[column] = color;
    return true;
}

QColor FlexGridModel::backColor(int row, int column) const
{
    return contains(row, column) && m_rows[size_t(row)] ? colorAt(m_rows[size_t(row)]->back, column) : QColor();
}

QColor FlexGridModel::foreColor(int row, int column) const
{
    return contains(row, column) && m_rows[size_t(row)] ? colorAt(m_rows[size_t(row)]->fore, column) : QColor();
}

void FlexGridModel::setBackColor(int row, int column, const QColor &color)
{
    if (contains(row, column) && (color.isValid() || m_rows[size_t(row)]) && setColorAt(rowFor(row).back, column, color))
        noteChange(row, column, BackChanged);
}

void FlexGridModel::setForeColor(int row, int column, const QColor &color)
{
    if (contains(row, column) && (color.isValid() || m_rows[size_t(row)]) && setColorAt(rowFor(row).fore, column, color))
        noteChange(row, column, ForeChanged);
}

// Changes are announced once per turn of the event loop, as one range: filling a
// hundred thousand rows then costs one signal, not one per cell.
void FlexGridModel::noteChange(int row, int column, int what)
{
    if (!m_pending.what) {
        m_pending = {row, column, row, column, what};
        QMetaObject::invokeMethod(this, &FlexGridModel::announceChanges, Qt::QueuedConnection);
        return;
    }
    m_pending.top = std::min(m_pending.top, row);
    m_pending.left = std::min(m_pending.left, column);
    m_pending.bottom = std::max(m_pending.bottom, row);
    m_pending.right = std::max(m_pending.right, column);
    m_pending.what |= what;
}

void FlexGridModel::announceChanges()
{
    const PendingChange change = m_pending;
    m_pending = {};
    // Rows or columns may have gone since.
    const int bottom = std::min(change.bottom, rowCount() - 1);
    const int right = std::min(change.right, m_columns - 1);
    if (!change.what || change.top > bottom || change.left > right)
        return;
    QList<int> roles;
    if (change.what & TextChanged)
        roles << Qt::DisplayRole << Qt::AccessibleTextRole;
    if (change.what & BackChanged)
        roles << Qt::BackgroundRole;
    if (change.what & ForeChanged)
        roles << Qt::ForegroundRole;
    emit dataChanged(index(change.top, change.left), index(bottom, right), roles);
}
