#pragma once

#include <QComboBox>

// A drop-down list the operator cannot type into. Adding entries selects none;
// entryChosen reports every change of the selected entry, by the operator or in
// code, except emptying the list, and also the operator choosing from the open list
// the entry already shown (which a plain combo box passes over in silence).
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

    void showPopup() override;

signals:
    void entryChosen();

private:
    static constexpr int NoPopup = -2;
    int m_shownAtPopup = NoPopup; // the entry shown when the list opened
};
