#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QTreeWidget>

// The tree of the windows: nodes with a key, a text and an image from the tree's
// image list, added at the root or under the node with a given key. Nodes are
// numbered 1 … n in the order they were added (0 means "no node"); the numbers
// walk the tree as the windows do: first child, next sibling, children.
// Optional check boxes report the operator's ticks through nodeChecked. A node whose
// text is cut off (the view is narrower than the node) shows its whole text as a tooltip.
class KeyedTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit KeyedTree(QWidget *parent = nullptr);

    // Images of the nodes, numbered from 1 as the windows' image lists are.
    void setImageList(const QList<QIcon> &images);
    void setCheckBoxes(bool shown);
    bool checkBoxes() const;

    // The new node's number. A key that another node has, or a parent key that names
    // no node, raises a db::DbError naming the key (KeyNotUnique, ElementNotFound) and
    // adds nothing. Empty keys are allowed, any number of times.
    static constexpr int KeyNotUnique = 35602;
    static constexpr int ElementNotFound = 35601;
    int addNode(const QString &key, const QString &text, int image = 0);
    int addChild(const QString &parentKey, const QString &key, const QString &text, int image = 0);
    void clearNodes();

    int count() const;
    int indexOfKey(const QString &key) const;
    QString key(int index) const;
    QString text(int index) const;
    int image(int index) const;
    int parentOf(int index) const;
    int childCount(int index) const;
    int firstChild(int index) const;
    int nextSibling(int index) const;

    bool isChecked(int index) const;
    void setChecked(int index, bool checked); // does not report nodeChecked
    QColor foreColor(int index) const;
    void setForeColor(int index, const QColor &color);

    int selectedIndex() const; // 0 when no node is selected
    void setSelectedIndex(int index);

signals:
    void nodeClicked(int index);
    void nodeDoubleClicked(int index);
    void nodeChecked(int index);

protected:
    bool viewportEvent(QEvent *event) override;

private:
    bool isCutOff(const QModelIndex &index) const;
    QTreeWidgetItem *item(int index) const;
    int indexOf(const QTreeWidgetItem *item) const;
    int addItem(QTreeWidgetItem *parent, const QString &key, const QString &text, int image);
    void onItemChanged(QTreeWidgetItem *item, int column);

    static constexpr int IndexRole = Qt::UserRole + 1;
    static constexpr int KeyRole = Qt::UserRole + 2;
    static constexpr int ImageRole = Qt::UserRole + 3;
    static constexpr int ShownCheckRole = Qt::UserRole + 4; // the tick last reported

    QList<QTreeWidgetItem *> m_nodes; // by number - 1
    QHash<QString, QTreeWidgetItem *> m_byKey;
    QList<QIcon> m_images;
    bool m_checkBoxes = false;
    bool m_settingCheck = false;
};
