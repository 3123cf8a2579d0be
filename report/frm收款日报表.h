#pragma once

#include "platform/db/Recordset.h"
#include "platform/db/ResultTable.h"
#include "shell/ChildWindow.h"

#include <map>
#include <memory>

class CheckBox;
class DatePicker;
class DropDownList;
class FlexGrid;
class KeyedTree;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class PrintSurface;
class StatusBar;
struct VoidReportRequest;

// The void statistics report: the lines of the bills voided in a range of days, for a
// management office and the chosen charge items, payment methods and cashier, listed
// in the grid with their total, printed as a ruled table or sent to a workbook.
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class frm收款日报表 : public ChildWindow
{
public:
    explicit frm收款日报表(QWidget *parent = nullptr);

    static QString gridFormat();

    QGroupBox *Frame1;
    DropDownList *Combo1;
    std::map<int, QLabel *> Label1;
    CheckBox *Check2;
    KeyedTree *TreeView1;
    QWidget *Picture1;
    QLabel *Label2, *Label3, *Label4, *Label5, *Label6;
    DatePicker *DTPicker1;
    DatePicker *DTPicker2;
    DropDownList *Combo2;
    DropDownList *Combo3;
    DropDownList *Combo4;
    std::map<int, QPushButton *> Command1;
    QGroupBox *Frame2;
    FlexGrid *MSFlexGrid1;
    StatusBar *StatusBar1;

    // The statement of the last query.
    QString StatementText;

    void Check2_Click();
    void TreeView1_NodeCheck(int node);
    void Command1_Click(int index);
    // The "统计" query: checks the filters, reads the lines and fills the grid.
    void RunReport();

    // The office's name as titles use it: Combo1's text after its first blank.
    QString officeName() const;

    // Tests print on a surface of their own instead of the printer's preview (null: the preview).
    static void setPrintSurfaceForTests(PrintSurface *surface);

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;

private:
    void buildControls();
    void buildFilterPanel();
    static int datePickerWidth(const DatePicker *picker);
    void loadOffices();
    void loadChargeItems();
    void loadPaymentMethods();
    void loadCashiers();
    void fillGrid(std::shared_ptr<const db::ResultTable> table);
    void exportToWorkbook();
    void printReport();
    QStringList checkedItemCodes() const;
    VoidReportRequest request() const;

    db::Recordset m_lines; // the recordset of the window, replaced by every query
};
