#pragma once

#include <QListWidget>

// A list box whose lines carry a number each (the item data, such as a row's ID).
// lineChosen reports every change of the selected line, by the operator or in code,
// as the windows expect of a list's click.
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
    int listIndex() const; // -1 when no line is selected
    void setListIndex(int index);

signals:
    void lineChosen();

private:
    bool m_removing = false;
};
