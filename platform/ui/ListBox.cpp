#include "platform/ui/ListBox.h"

namespace {
constexpr int ItemDataRole = Qt::UserRole;
}

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A mouse press makes a line current before it selects it; the line is reported
    // when it is selected, whichever comes last.
    connect(this, &QListWidget::currentRowChanged, this, &ListBox::reportChosenLine);
    connect(this, &QListWidget::itemSelectionChanged, this, &ListBox::reportChosenLine);
}

// Reports a line that has become the chosen one; losing the choice is not reported.
// The line is held by a persistent index, so lines removed or a list emptied never
// make a new line look like the one reported before.
void ListBox::reportChosenLine()
{
    if (m_removing)
        return;
    const int line = listIndex();
    const QModelIndex chosen = line < 0 ? QModelIndex() : model()->index(line, 0);
    if (chosen == m_reported)
        return;
    m_reported = chosen;
    if (chosen.isValid())
        emit lineChosen();
}

int ListBox::addLine(const QString &text, qint64 itemData)
{
    auto *line = new QListWidgetItem(text, this);
    line->setData(ItemDataRole, itemData);
    return row(line);
}

// Removing a line chooses no other: no line is selected afterwards and lineChosen is
// not reported, so a window never loads the next line behind the operator's back.
void ListBox::removeLine(int index)
{
    m_removing = true;
    delete takeItem(index);
    clearSelection();
    setCurrentRow(-1);
    m_reported = QPersistentModelIndex();
    m_removing = false;
}

int ListBox::listCount() const
{
    return count();
}

QString ListBox::lineText(int index) const
{
    const QListWidgetItem *line = item(index);
    return line ? line->text() : QString();
}

void ListBox::setLineText(int index, const QString &text)
{
    if (QListWidgetItem *line = item(index))
        line->setText(text);
}

qint64 ListBox::itemData(int index) const
{
    const QListWidgetItem *line = item(index);
    return line ? line->data(ItemDataRole).toLongLong() : 0;
}

void ListBox::setItemData(int index, qint64 data)
{
    if (QListWidgetItem *line = item(index))
        line->setData(ItemDataRole, data);
}

int ListBox::listIndex() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void ListBox::setListIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}
