#pragma once

#include <QAbstractItemDelegate>

class FlexGrid;

// Paints the scrolling cells of a FlexGrid the same way its fixed panes paint theirs.
class FlexGridDelegate : public QAbstractItemDelegate
{
    Q_OBJECT
public:
    explicit FlexGridDelegate(FlexGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    FlexGrid *m_grid;
};
