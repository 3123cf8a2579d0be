#pragma once

#include "platform/db/Recordset.h"
#include "stock/BillRegistration.h"
#include "shell/ChildWindow.h"

#include <QVector>
#include <map>

class DropDownList;
class FlexGrid;
class KeyedTree;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class StatusBar;

// The stock-in window: registers electronic invoice numbers one at a time into the
// yearly book of their bill type ({type}-{yyyy}), creating the book with the first
// bill of a year. The grid lists the books created while the window is open.
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class frm票据入库 : public ChildWindow
{
public:
    explicit frm票据入库(QWidget *parent = nullptr);

    static QString gridFormat();

    std::map<int, QLabel *> Label1;
    KeyedTree *TreeView1;
    FlexGrid *MSFlexGrid1;
    QFrame *Frame1;
    QLineEdit *Text3;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command4;
    StatusBar *StatusBar2;
    // Hidden fields that hold the values of a registration.
    QLineEdit *Text1;
    QLineEdit *Text2;
    DropDownList *Combo2;

    bool wheelHooked() const { return m_wheelHooked; }
    // The message for a number longer than a bill number can be.
    static QString numberTooLongText();

    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void TreeView1_NodeClick(int node);
    void MSFlexGrid1_Click();
    void MSFlexGrid1_LostFocus();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectNumberForRetyping();
    void keepExitButtonInFrame();
    struct BillType
    {
        QString code;
        int count = 0;
        QString faceValue; // "0" when the type has none
    };

    void buildControls();
    void loadBillTypes();
    void loadMachines();
    void selectGridRow();
    bool selectedTypeIsTaxControlled() const;
    const BillType *selectedType() const;
    BillRegistration::Request registrationRequest(const QString &number) const;
    void refuseNumber(BillRegistration::Outcome problem);
    void showRegistration(const BillRegistration::Result &result, const QString &number);
    void addGridRowForBook(const db::Recordset &book);
    QString numberBoxTextWith(const QString &inserted) const;
    void pasteIntoNumberBox();
    void showNumberBoxMenu(const QPoint &at);

    QVector<BillType> m_types; // by tree position - 1
    bool m_wheelHooked = false;
};
