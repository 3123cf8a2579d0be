#pragma once

#include "platform/db/ResultTable.h"
#include "platform/ui/FlexGridModel.h"
#include "shell/ChildWindow.h"

#include <map>
#include <vector>

namespace db {
class Recordset;
}

class DropDownList;
class FlexGrid;
class KeyedTree;
class PictureButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class StatusBar;

// The usage of the bill books a department still holds: one row per issued, unreturned
// book with its counts and amounts, marks on the books the operator picks and the
// running totals of the marked books. Nothing here writes to the database.
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class frm票据核销 : public ChildWindow
{
public:
    explicit frm票据核销(QWidget *parent = nullptr);

    static QString gridFormat();
    static QColor unusedHighlight();
    static QColor markedColour();

    std::map<int, QLabel *> Label1;
    QLabel *Label2;
    QLineEdit *Text10;
    PictureButton *Command6;
    DropDownList *Combo1;
    KeyedTree *TreeView1;
    FlexGrid *MSFlexGrid1;
    QFrame *Frame1;
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7;
    QWidget *Picture2;
    QPushButton *Command4;
    StatusBar *StatusBar2;

    QString SelectedDeptCode;
    bool SkipNextClick = false;

    void Combo1_Click();
    void Command6_Click();
    void TreeView1_DblClick();
    void LoadIssuedBooks();
    void MSFlexGrid1_Click();
    void MSFlexGrid1_MouseUp(int button, int shift, int x, int y);
    void Command4_Click();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;

private:
    void buildControls();
    void buildTotalsPanel();
    void loadBillTypes();
    void loadDepartmentTree();
    void chooseSelectedDepartment();
    std::vector<FlexGridTableColumn> bookColumns(const db::ResultTable &books) const;
    void widenColumns();
    void fitTreeToGrid();
    void markRow(int row);
    void paintMark(int row, const QColor &colour);
    void unmarkRow(int row);
    void addRowToTotals(int row, int sign);
    void clearTotals();
    void openBookDetails(int row);
};
