#include "platform/ui/KeyedTree.h"

#include "platform/db/DbError.h"

#include <QHelpEvent>
#include <QToolTip>

KeyedTree::KeyedTree(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item, int) { emit nodeClicked(indexOf(item)); });
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item, int) { emit nodeDoubleClicked(indexOf(item)); });
    connect(this, &QTreeWidget::itemChanged, this, &KeyedTree::onItemChanged);
}

void KeyedTree::setImageList(const QList<QIcon> &images)
{
    m_images = images;
    for (QTreeWidgetItem *node : std::as_const(m_nodes)) {
        const int image = node->data(0, ImageRole).toInt();
        node->setIcon(0, image >= 1 && image <= m_images.size() ? m_images[image - 1] : QIcon());
    }
}

void KeyedTree::setCheckBoxes(bool shown)
{
    m_checkBoxes = shown;
    m_settingCheck = true;
    for (QTreeWidgetItem *node : std::as_const(m_nodes)) {
        if (shown)
            node->setCheckState(0, node->data(0, Qt::CheckStateRole).isValid() ? node->checkState(0) : Qt::Unchecked);
        else
            node->setData(0, Qt::CheckStateRole, QVariant());
    }
    m_settingCheck = false;
}

bool KeyedTree::checkBoxes() const
{
    return m_checkBoxes;
}

int KeyedTree::addNode(const QString &key, const QString &text, int image)
{
    return addItem(nullptr, key, text, image);
}

int KeyedTree::addChild(const QString &parentKey, const QString &key, const QString &text, int image)
{
    QTreeWidgetItem *parent = m_byKey.value(parentKey);
    if (!parent)
        throw db::DbError(ElementNotFound, QStringLiteral("树中没有关键字为“%1”的节点，无法在其下添加“%2”。").arg(parentKey, text));
    return addItem(parent, key, text, image);
}

int KeyedTree::addItem(QTreeWidgetItem *parent, const QString &key, const QString &text, int image)
{
    // A second node with a key would be unreachable by it: refused loudly, never dropped.
    if (!key.isEmpty() && m_byKey.contains(key))
        throw db::DbError(KeyNotUnique, QStringLiteral("树中已有关键字为“%1”的节点，不能再添加“%2”。").arg(key, text));
    auto *node = new QTreeWidgetItem(QStringList{text});
    const int index = static_cast<int>(m_nodes.size()) + 1;
    m_settingCheck = true;
    node->setData(0, IndexRole, index);
    node->setData(0, KeyRole, key);
    node->setData(0, ImageRole, image);
    if (image >= 1 && image <= m_images.size())
        node->setIcon(0, m_images[image - 1]);
    if (m_checkBoxes)
        node->setCheckState(0, Qt::Unchecked);
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    m_settingCheck = false;
    m_nodes.append(node);
    if (!key.isEmpty())
        m_byKey.insert(key, node);
    return index;
}

void KeyedTree::clearNodes()
{
    m_nodes.clear();
    m_byKey.clear();
    clear();
}

int KeyedTree::count() const
{
    return static_cast<int>(m_nodes.size());
}

QTreeWidgetItem *KeyedTree::item(int index) const
{
    return index >= 1 && index <= m_nodes.size() ? m_nodes[index - 1] : nullptr;
}

int KeyedTree::indexOf(const QTreeWidgetItem *item) const
{
    return item ? item->data(0, IndexRole).toInt() : 0;
}

int KeyedTree::indexOfKey(const QString &key) const
{
    return indexOf(m_byKey.value(key));
}

QString KeyedTree::key(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node ? node->data(0, KeyRole).toString() : QString();
}

QString KeyedTree::text(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node ? node->text(0) : QString();
}

int KeyedTree::image(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node ? node->data(0, ImageRole).toInt() : 0;
}

int KeyedTree::parentOf(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node ? indexOf(node->parent()) : 0;
}

int KeyedTree::childCount(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node ? node->childCount() : 0;
}

int KeyedTree::firstChild(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node && node->childCount() > 0 ? indexOf(node->child(0)) : 0;
}

int KeyedTree::nextSibling(int index) const
{
    const QTreeWidgetItem *node = item(index);
    if (!node)
        return 0;
    QTreeWidgetItem *parent = node->parent();
    const int position = parent ? parent->indexOfChild(const_cast<QTreeWidgetItem *>(node))
                                : indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(node));
    const int siblings = parent ? parent->childCount() : topLevelItemCount();
    if (position + 1 >= siblings)
        return 0;
    return indexOf(parent ? parent->child(position + 1) : topLevelItem(position + 1));
}

bool KeyedTree::isChecked(int index) const
{
    const QTreeWidgetItem *node = item(index);
    return node && m_checkBoxes && node->checkState(0) == Qt::Checked;
}

void KeyedTree::setChecked(int index, bool checked)
{
    QTreeWidgetItem *node = item(index);
    if (!node || !m_checkBoxes)
        return;
    m_settingCheck = true;
    node->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    m_settingCheck = false;
}

QColor KeyedTree::foreColor(int index) const
{
    const QTreeWidgetItem *node = item(index);
    if (!node)
        return {};
    const QBrush brush = node->foreground(0);
    return brush.style() == Qt::NoBrush ? palette().color(QPalette::Text) : brush.color();
}

void KeyedTree::setForeColor(int index, const QColor &color)
{
    if (QTreeWidgetItem *node = item(index))
        node->setForeground(0, color);
}

int KeyedTree::selectedIndex() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? 0 : indexOf(selected.front());
}

void KeyedTree::setSelectedIndex(int index)
{
    QTreeWidgetItem *node = item(index);
    if (!node) {
        clearSelection();
        return;
    }
    setCurrentItem(node);
    node->setSelected(true);
    scrollToItem(node);
}

void KeyedTree::onItemChanged(QTreeWidgetItem *item, int column)
{
    // Only a change of the tick by the operator is a node check; ticks set in code
    // and changes of text, colour or image are not.
    if (column != 0 || !m_checkBoxes)
        return;
    const int state = item->checkState(0);
    if (item->data(0, ShownCheckRole).toInt() == state)
        return;
    item->setData(0, ShownCheckRole, state);
    if (!m_settingCheck)
        emit nodeChecked(indexOf(item));
}

bool KeyedTree::isCutOff(const QModelIndex &index) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    // What the node needs (check box, image, text and margins) against the part of it
    // the viewport shows; a node scrolled partly out of sight is cut off too.
    const QRect shown = option.rect.intersected(viewport()->rect());
    const QAbstractItemDelegate *delegate = itemDelegateForIndex(index);
    return delegate && delegate->sizeHint(option, index).width() > shown.width();
}

bool KeyedTree::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && isCutOff(index)) {
            QToolTip::showText(help->globalPos(), index.data(Qt::DisplayRole).toString(), viewport(), visualRect(index));
            return true;
        }
    }
    // Elsewhere the view's own handling: no tooltip, and one still up goes away.
    return QTreeWidget::viewportEvent(event);
}
