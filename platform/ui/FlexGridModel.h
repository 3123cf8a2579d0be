#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>

#include <vector>

// The cells of a FlexGrid: text and optional colours per cell, no object per cell.
// The model only announces changes of its shape; the grid repaints what it changes,
// so filling many cells costs no signal per cell.
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
    void setText(int row, int column, const QString &text);
    // Invalid colours mean "the grid's default".
    QColor backColor(int row, int column) const;
    QColor foreColor(int row, int column) const;
    void setBackColor(int row, int column, const QColor &color);
    void setForeColor(int row, int column, const QColor &color);

private:
    struct Row
    {
        // Lists grow on the first write; cells beyond their end are empty.
        QList<QString> text;
        QList<QColor> back;
        QList<QColor> fore;
    };

    static QColor colorAt(const QList<QColor> &colors, int column);
    static void setColorAt(QList<QColor> &colors, int column, const QColor &color);

    std::vector<Row> m_rows;
    int m_columns = 0;
};
