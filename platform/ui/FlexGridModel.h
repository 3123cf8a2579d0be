#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

#include "platform/Decimal.h"

#include <functional>
#include <optional>
#include <string_view>
#include <memory>
#include <vector>

namespace db {
class ResultTable;
}

// How one grid column shows the rows of a result table: the text of a line (0-based)
// of the table, made when the cell is shown or read.
struct FlexGridTableColumn
{
    int gridColumn = 0;
    std::function<QString(const db::ResultTable &table, int line)> text;
    // The number the cell shows, for columns of amounts and counts (optional).
    std::function<std::optional<Decimal>(const db::ResultTable &table, int line)> number = {};
    // The table's column whose text the grid column shows as it is (see textOf), or -1.
    int tableColumn = -1;

    // A grid column showing a column of the table as its text: its cells also give the
    // table's UTF-8 itself (FlexGridModel::utf8), with no QString in between.
    static FlexGridTableColumn textOf(int gridColumn, int tableColumn);
};

// The cells of a FlexGrid: text and optional colours per cell, no object per cell.
// It serves the text and the colours as the display, background and foreground roles
// and announces every change (dataChanged, gathered into one range per turn of the
// event loop), so any view of it stays current.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit FlexGridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setRows(int rows);
    void setColumns(int columns);
    void removeRowAt(int row);

    bool contains(int row, int column) const;
    QString text(int row, int column) const;
    // The number a cell shows: one written with setNumber, or one of a table column that
    // keeps numbers (when the cell was not written since); otherwise none.
    std::optional<Decimal> number(int row, int column) const;
    // The UTF-8 of a cell that shows a text of the table as it is (a column made with
    // FlexGridTableColumn::textOf, the cell not written since); otherwise none.
    std::optional<std::string_view> utf8(int row, int column) const;
    // Writes a cell's text and the number it stands for.
    void setNumber(int row, int column, const QString &text, const Decimal &number);
    void setText(int row, int column, const QString &text);
    // The texts of columns 0 … count - 1 of a row at once (a row filled in one go).
    void setRowTexts(int row, const QString *texts, int count);
    // Invalid colours mean "the grid's default".
    QColor backColor(int row, int column) const;
    QColor foreColor(int row, int column) const;
    void setBackColor(int row, int column, const QColor &color);
    void setForeColor(int row, int column, const QColor &color);

    // Rows firstRow … firstRow + the table's rows - 1 show the table's lines through
    // `columns`; their other columns, and any cell written afterwards, keep texts of
    // their own. The rows must exist. Removing a row or a column, or dropping part of the
    // table's rows, first turns the rows kept into texts of their own.
    void setTableRows(int firstRow, std::shared_ptr<const db::ResultTable> table, std::vector<FlexGridTableColumn> columns);

private:
    struct Row
    {
        // Lists grow on the first write; cells beyond their end are empty.
        QList<QString> text;
        QList<QColor> back;
        QList<QColor> fore;
    };

    static QColor colorAt(const QList<QColor> &colors, int column);
    // Whether the colour changed.
    static bool setColorAt(QList<QColor> &colors, int column, const QColor &color);

    enum Change { TextChanged = 1, BackChanged = 2, ForeChanged = 4 };
    struct PendingChange
    {
        int top = 0, left = 0, bottom = 0, right = 0;
        int what = 0; // Change flags; 0: nothing pending
    };
    void noteChange(int row, int column, int what);
    void announceChanges();

    bool inTable(int row, int column) const;
    // Turns the table's rows below `endRow` into texts of their own and forgets the table.
    void releaseTable(int endRow);
    static quint64 cellKey(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }

    // A row's contents, made on its first write: rows that only show a table's lines
    // (or nothing) cost a pointer.
    Row &rowFor(int row);

    std::vector<std::unique_ptr<Row>> m_rows;
    int m_columns = 0;
    std::shared_ptr<const db::ResultTable> m_table;
    int m_tableFirstRow = 0;
    std::vector<std::function<QString(const db::ResultTable &, int)>> m_tableText; // by grid column
    std::vector<std::function<std::optional<Decimal>(const db::ResultTable &, int)>> m_tableNumber;
    std::vector<int> m_tableColumnShown; // by grid column: FlexGridTableColumn::tableColumn
    QHash<quint64, QString> m_tableWrites; // cells of the table's rows written since
    QHash<quint64, Decimal> m_numbers;     // cells written with setNumber
    // Keeps the written numbers of the cells for which `keep` gives where they go now.
    void moveNumbers(const std::function<bool(int &row, int &column)> &keep);
    PendingChange m_pending;
};
