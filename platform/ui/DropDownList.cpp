#include "platform/ui/DropDownList.h"

#include <QSignalBlocker>

DropDownList::DropDownList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { emit entryChosen(); });
    // A change was reported above; choosing the entry that was shown changes nothing.
    connect(this, &QComboBox::activated, this, [this](int index) {
        const bool sameEntry = index == m_shownAtPopup;
        m_shownAtPopup = NoPopup;
        if (sameEntry)
            emit entryChosen();
    });
}

void DropDownList::showPopup()
{
    m_shownAtPopup = currentIndex();
    QComboBox::showPopup();
}

int DropDownList::addLine(const QString &text, qint64 itemData)
{
    // A combo box selects the first entry added to it; the list keeps "none".
    const int selected = currentIndex();
    {
        const QSignalBlocker blocker(this);
        addItem(text, itemData);
        setCurrentIndex(selected);
    }
    return count() - 1;
}

void DropDownList::clearLines()
{
    const QSignalBlocker blocker(this);
    clear();
}

int DropDownList::listCount() const
{
    return count();
}

QString DropDownList::lineText(int index) const
{
    return itemText(index);
}

qint64 DropDownList::itemData(int index) const
{
    return QComboBox::itemData(index).toLongLong();
}

int DropDownList::listIndex() const
{
    return currentIndex();
}

void DropDownList::setListIndex(int index)
{
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

QString DropDownList::text() const
{
    return currentText();
}
