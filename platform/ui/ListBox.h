#pragma once

#include <QListWidget>

// A list box whose lines carry a number each (the item data, such as a row's ID).
// The chosen line is the selected (highlighted) one. lineChosen reports each time
// another line becomes the chosen one, by a click, a key or in code, once that line
// is selected, so a window reading listIndex() then gets the line the operator sees.
class ListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    int addLine(const QString &text, qint64 itemData = 0); // the new line's index
    void removeLine(int index);
    int listCount() const;
    QString lineText(int index) const;
    void setLineText(int index, const QString &text);
    qint64 itemData(int index) const;
    void setItemData(int index, qint64 data);
    int listIndex() const; // the selected line; -1 when none is
    void setListIndex(int index);

signals:
    void lineChosen();

private:
    void reportChosenLine();

    bool m_removing = false;
    QPersistentModelIndex m_reported; // the line last reported as chosen
};
