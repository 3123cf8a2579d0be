#include "platform/ui/FlexGridModel.h"

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
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return text(index.row(), index.column());
    return {};
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
        beginRemoveColumns({}, columns, m_columns - 1);
        // Dropped columns lose their contents, so growing again gives empty cells.
        for (Row &row : m_rows) {
            if (row.text.size() > columns)
                row.text.resize(columns);
            if (row.back.size() > columns)
                row.back.resize(columns);
            if (row.fore.size() > columns)
                row.fore.resize(columns);
        }
        m_columns = columns;
        endRemoveColumns();
    }
}

void FlexGridModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

bool FlexGridModel::contains(int row, int column) const
{
    return row >= 0 && row < rowCount() && column >= 0 && column < m_columns;
}

QString FlexGridModel::text(int row, int column) const
{
    if (!contains(row, column))
        return {};
    const QList<QString> &cells = m_rows[row].text;
    return column < cells.size() ? cells[column] : QString();
}

void FlexGridModel::setText(int row, int column, const QString &text)
{
    if (!contains(row, column))
        return;
    QList<QString> &cells = m_rows[row].text;
    if (column >= cells.size()) {
        if (text.isEmpty())
            return;
        cells.resize(m_columns);
    }
    cells[column] = text;
}

QColor FlexGridModel::colorAt(const QList<QColor> &colors, int column)
{
    return column < colors.size() ? colors[column] : QColor();
}

void FlexGridModel::setColorAt(QList<QColor> &colors, int column, const QColor &color)
{
    if (column >= colors.size()) {
        if (!color.isValid())
            return;
        colors.resize(column + 1);
    }
    colors[column] = color;
}

QColor FlexGridModel::backColor(int row, int column) const
{
    return contains(row, column) ? colorAt(m_rows[row].back, column) : QColor();
}

QColor FlexGridModel::foreColor(int row, int column) const
{
    return contains(row, column) ? colorAt(m_rows[row].fore, column) : QColor();
}

void FlexGridModel::setBackColor(int row, int column, const QColor &color)
{
    if (contains(row, column))
        setColorAt(m_rows[row].back, column, color);
}

void FlexGridModel::setForeColor(int row, int column, const QColor &color)
{
    if (contains(row, column))
        setColorAt(m_rows[row].fore, column, color);
}
