#pragma once

#include "restore/RestorationDecision.h"
#include "shell/ChildWindow.h"

#include <QStringList>

#include <map>

class CheckBox;
class FlexGrid;
class ListBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class StatusBar;

// The restoration approval window: the applications that have a step for the
// operator's post, the selected one with its bill's copied lines, and the decision on
// it. Agreeing passes the application to the next node of its route, or, at the last
// node, approves it and restores the bill to a bill not yet used; disagreeing rejects
// it.
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class frm申请详细 : public ChildWindow
{
public:
    explicit frm申请详细(QWidget *parent = nullptr);

    static QString gridFormat();

    // ---- the list
    CheckBox *Check1;
    std::map<int, QLabel *> Label1; // 0: the list's heading; 1 to 3 in Picture2
    ListBox *List1;

    // ---- the selected application
    QFrame *Picture1;
    QLabel *Label10;
    QLabel *Label11; // 类型名称
    QLabel *Label2;
    QLabel *Label13; // 票据入库单编号
    QLabel *Label5;  // 票据编号
    QLabel *Label3;
    QLabel *Label6; // 票据金额
    QLabel *Label4;
    QLabel *Label7; // 票据作废日期
    QLabel *Label8;
    QLabel *Label9; // 部门 (the applicant department)
    QLineEdit *Text1; // 调整事由
    FlexGrid *MSFlexGrid1;

    // ---- the decision
    QGroupBox *Frame1;
    QLabel *Label12;
    QLineEdit *Text2; // the opinion
    QPushButton *Command2;
    QPushButton *Command3;

    QWidget *Picture2;
    QPushButton *Command4;
    QPushButton *Command1;
    StatusBar *StatusBar1;

    // The application the decisions apply to: the one last selected, until it is
    // decided or the list is loaded again. The ID is 0 when there is none.
    struct SelectedApplication : RestorationDecision::ShownApplication
    {
        qlonglong id = 0;
    };
    const SelectedApplication &selected() const { return m_selected; }

    // Loads the list (each activation, and a click on Check1).
    void loadApplications();

    void Check1_Click();
    void List1_Click();
    void Command4_Click();
    void Command2_Click();
    void Command3_Click();
    void Command1_Click();

protected:
    void Form_Load() override;
    void Form_Activate() override;

private:
    void buildControls();
    void buildApplicationPanel();
    void buildDecisionPanel();
    void connectHandlers();

    void forgetApplication();
    void clearValueLabels();
    void resetLinesGrid();
    void widenLineColumns(int row);
    void showApplication(qlonglong id);
    void fillLines(const QString &applicationNumber);

    RestorationDecision::Request decisionRequest() const;
    void showOpinion(const QString &opinion);
    void showAgreementRefused(RestorationDecision::AgreementOutcome outcome);
    void finishDecision();

    SelectedApplication m_selected;
};
