#pragma once

#include "restore/RestorationSubmission.h"
#include "shell/ChildWindow.h"

class CheckBox;
class FlexGrid;
class OptionButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace db {
class Recordset;
}

// Applying for the restoration of a voided bill: find the bill and its lines, submit an
// application (numbered, routed along the approval path of the operator's department
// category, with a copy of the bill's lines), and follow the department's applications
// and their approval steps.
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class Frm票据作废恢复申请 : public ChildWindow
{
public:
    explicit Frm票据作废恢复申请(QWidget *parent = nullptr);

    static QString billGridFormat();
    static QString lineGridFormat();
    static QString applicationGridFormat();
    static QString stepGridFormat();

    QLabel *Label1;
    QLineEdit *Text1;
    QLabel *Label2;
    QLineEdit *Text2;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
    QPushButton *Command4;
    QPushButton *Command7;
    FlexGrid *MSFlexGrid1;
    FlexGrid *MSFlexGrid2;

    QGroupBox *Frame1;
    QLabel *Label3, *Label5, *Label4, *Label6;
    OptionButton *Option1;
    QLineEdit *Text3;
    QPushButton *Command6;
    QPushButton *Command5;

    QGroupBox *Frame2;
    CheckBox *Check1;
    QLabel *Label7;
    FlexGrid *MSFlexGrid3;
    QLabel *Label8;
    FlexGrid *MSFlexGrid4;
    QPushButton *Command8;

    void Command1_Click();
    void MSFlexGrid1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command6_Click();
    void Command5_Click();
    void Command7_Click();
    void MSFlexGrid3_Click();
    void Command8_Click();
    void Command3_Click();

protected:
    void Form_Load() override;
    void Form_Resize() override;

private:
    void buildControls();
    void buildApplicationPanel();
    void buildStatusPanel();
    void connectHandlers();
    void resetGrid(FlexGrid *grid, const QString &format);
    void fitColumns(FlexGrid *grid);
    void addBillRow(const db::Recordset &bills);
    void addLineRow(const db::Recordset &lines);
    void addApplicationRow(const db::Recordset &applications);
    void addStepRow(const db::Recordset &steps);
    RestorationSubmission::Request submission() const;
    void showRefusal(RestorationSubmission::Submission outcome, const QString &pendingNumber = QString());
};
