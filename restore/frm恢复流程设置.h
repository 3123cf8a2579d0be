#pragma once

#include "restore/ApprovalPaths.h"
#include "shell/ChildWindow.h"

#include <QSet>
#include <QVector>

#include <map>

class DatePicker;
class DropDownList;
class FlexGrid;
class KeyedTree;
class ListBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class StatusBar;

// The approval paths of the void-restoration workflow: the paths in force of a
// restoration type, entering, saving, terminating and deleting a path, and in
// "流转节点设置" the ordered nodes (one post of one department each) of the selected
// path.
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class frm恢复流程设置 : public ChildWindow
{
public:
    explicit frm恢复流程设置(QWidget *parent = nullptr);

    static QString gridFormat();

    // ---- paths
    QLabel *Label2;
    DropDownList *Combo1;
    FlexGrid *MSFlexGrid1;
    QFrame *Frame3;
    std::map<int, QLabel *> Label3;
    QLineEdit *Text1;
    QLineEdit *Text2;
    DropDownList *Combo2;
    DatePicker *DTPicker1;
    DatePicker *DTPicker2;
    QPushButton *Command7;
    QPushButton *Command6;
    QPushButton *Command9;
    QPushButton *Command8;
    QPushButton *Command5;
    StatusBar *StatusBar1;

    // ---- nodes
    QGroupBox *Frame2;
    KeyedTree *TreeView1;
    ListBox *List1;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
    QPushButton *Command4;
    QPushButton *Command10;
    QLabel *Label1;
    ListBox *List2;

    struct DeptEntry
    {
        QString code, name, parentCode;
    };
    struct PostEntry
    {
        QString deptCode, deptName, postCode, postName, employeeName;
    };
    struct NodeEntry
    {
        QString deptCode, deptName, postCode, postName, employeeName;
        qint16 position = 0;
    };
    const QVector<DeptEntry> &departments() const { return m_departments; }
    const QVector<PostEntry> &posts() const { return m_posts; }
    const QVector<NodeEntry> &nodes() const { return m_nodes; }

    void 部门类别类别();
    void 添加部门信息();
    void 添加下级部门(const QString &parentCode);
    void 添加岗位信息(const QString &key);

    void Combo1_Click();
    void MSFlexGrid1_Click();
    void Command7_Click();
    void Command6_Click();
    void Command8_Click();
    void Command9_Click();
    void Command5_Click();
    void TreeView1_NodeClick(int node);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command10_Click();

protected:
    void Form_Load() override;

private:
    void buildControls();
    void buildPathFields();
    void buildNodeEditor();
    void connectHandlers();

    // Path states.
    void enterNewPathMode();
    void clearPathFields();
    void clearNodeLists();
    void fillPathRow(int row, const QString &code, const QString &name, const QString &category, const QDate &setOn);
    void widenPathColumns(int row);
    int categoryIndexOfCode(const QString &code) const;
    qlonglong currentPathId() const;
    bool pathStillThere(bool found);
    ApprovalPaths::PathRequest pathRequest() const;
    void showSaveRefusal(ApprovalPaths::SaveOutcome outcome);
    void showNewPath(const ApprovalPaths::SaveResult &saved, const QDate &setOn);
    void showEditedPath(const ApprovalPaths::SaveResult &saved, const QDate &setOn);

    // Nodes.
    void loadNodesOfPath();
    static QString nodeLineText(const NodeEntry &node);
    void moveSelectedNode(int step);

    QVector<DeptEntry> m_departments;
    QVector<PostEntry> m_posts;
    QVector<NodeEntry> m_nodes;
    QSet<QString> m_placedDepartments; // departments already in the tree
};
