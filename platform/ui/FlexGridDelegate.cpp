#include "platform/ui/FlexGridDelegate.h"

#include "platform/ui/FlexGrid.h"

FlexGridDelegate::FlexGridDelegate(FlexGrid *grid) : QAbstractItemDelegate(grid), m_grid(grid) {}

void FlexGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    m_grid->paintCell(painter, option.rect, index.row(), index.column());
}

QSize FlexGridDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return {m_grid->colWidthPixels(index.column()), m_grid->rowHeightPixels(index.row())};
}
