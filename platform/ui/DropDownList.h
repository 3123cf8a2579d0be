#pragma once

#include <QComboBox>

// A drop-down list the operator cannot type into. Adding entries selects none;
// entryChosen reports every change of the selected entry, by the operator or in
// code, except emptying the list.
class DropDownList : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownList(QWidget *parent = nullptr);

    int addLine(const QString &text, qint64 itemData = 0);
    void clearLines();
    int listCount() const;
    QString lineText(int index) const;
    qint64 itemData(int index) const;
    int listIndex() const; // -1 when no entry is selected
    void setListIndex(int index);
    QString text() const; // the selected entry's text, empty when none

signals:
    void entryChosen();
};
