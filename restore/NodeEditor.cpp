// The node editor of the approval path window ("流转节点设置"): the department tree,
// the posts of a department, and the ordered nodes of the selected path.
#include "restore/frm恢复流程设置.h"

#include "platform/db/Recordset.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/ListBox.h"
#include "restore/ApprovalPathSql.h"
#include "restore/ApprovalPaths.h"
#include "shell/AppState.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// The error number of a list read at a line that is not there.
constexpr int NoLineSelected = 381;

QString trimmedText(const db::Recordset &rows, const QString &column)
{
    return rows.text(column).trimmed();
}

} // namespace

// ---------------------------------------------------------------- the department tree

void frm恢复流程设置::添加部门信息()
{
    db::Recordset rows = DbConnection().open(departmentsInForceSql());
    m_departments.clear();
    for (; !rows.eof(); rows.moveNext())
        m_departments.append({rows.text(QStringLiteral("职能部门编号")), rows.text(QStringLiteral("职能部门名称")),
                              rows.text(QStringLiteral("上级部门编号"))});
    TreeView1->clearNodes();
    m_placedDepartments.clear();
    for (const DeptEntry &dept : std::as_const(m_departments)) {
        if (!dept.parentCode.isEmpty() || m_placedDepartments.contains(dept.code))
            continue;
        m_placedDepartments.insert(dept.code);
        TreeView1->addNode(QLatin1Char('$') + dept.code, dept.code + QLatin1Char(' ') + dept.name, 1);
        添加下级部门(dept.code);
    }
}

// Each department is placed once: parent codes that loop back (or a department listed
// under two parents) end the walk instead of repeating it forever.
void frm恢复流程设置::添加下级部门(const QString &parentCode)
{
    for (const DeptEntry &dept : std::as_const(m_departments)) {
        if (dept.parentCode != parentCode || m_placedDepartments.contains(dept.code))
            continue;
        m_placedDepartments.insert(dept.code);
        TreeView1->addChild(QLatin1Char('$') + parentCode, QLatin1Char('$') + dept.code,
                            dept.code + QLatin1Char(' ') + dept.name, 1);
        添加下级部门(dept.code);
    }
}

void frm恢复流程设置::TreeView1_NodeClick(int node)
{
    if (node > 0)
        添加岗位信息(TreeView1->key(node));
}

void frm恢复流程设置::添加岗位信息(const QString &key)
{
    db::Recordset rows = DbConnection().open(postsOfDepartmentSql(key.mid(1)));
    List1->clear();
    m_posts.clear();
    for (; !rows.eof(); rows.moveNext()) {
        PostEntry post{rows.text(QStringLiteral("职能部门编号")), rows.text(QStringLiteral("职能部门名称")),
                       rows.text(QStringLiteral("岗位代号")), rows.text(QStringLiteral("岗位名称")),
                       rows.text(QStringLiteral("姓名"))};
        const QString person = rows.isNull(QStringLiteral("姓名")) ? QString() : QLatin1Char('[') + post.employeeName + QLatin1Char(']');
        List1->addLine(trimmedText(rows, QStringLiteral("职能部门名称")) + QLatin1Char(' ')
                       + trimmedText(rows, QStringLiteral("岗位名称")) + QLatin1Char(' ') + person);
        m_posts.append(post);
    }
}

// ---------------------------------------------------------------- the nodes of the path

QString frm恢复流程设置::nodeLineText(const NodeEntry &node)
{
    const QString person = node.employeeName.isEmpty() ? QString() : QStringLiteral(" [") + node.employeeName + QLatin1Char(']');
    return node.deptName + QLatin1Char(' ') + node.postName + person;
}

void frm恢复流程设置::loadNodesOfPath()
{
    db::Recordset rows = DbConnection().open(nodesOfPathSql(Text1->text()));
    List2->clear();
    m_nodes.clear();
    for (; !rows.eof(); rows.moveNext()) {
        NodeEntry node{rows.text(QStringLiteral("部门编号")), rows.text(QStringLiteral("职能部门名称")),
                       rows.text(QStringLiteral("岗位编号")), rows.text(QStringLiteral("岗位名称")),
                       rows.text(QStringLiteral("姓名")), qint16(rows.text(QStringLiteral("顺序")).toInt())};
        List2->addLine(nodeLineText(node), rows.text(QStringLiteral("ID")).toLongLong());
        m_nodes.append(node);
    }
}

// "→": the selected post becomes the last node. The line appears only once its row
// is stored, so the list never shows a node the table does not hold.
void frm恢复流程设置::Command1_Click()
{
    const int selected = List1->listIndex();
    if (selected < 0 || selected >= m_posts.size())
        return;
    const PostEntry &post = m_posts[selected];
    NodeEntry node{post.deptCode, post.deptName, post.postCode, post.postName, post.employeeName,
                   qint16(List2->listCount() + 1)};
    const std::optional<qlonglong> id
        = ApprovalPaths::appendNode(DbConnection(), {Text1->text(), node.deptCode, node.postCode, node.position});
    if (!pathStillThere(id.has_value()))
        return;
    List2->addLine(List1->lineText(selected), *id);
    m_nodes.append(node);
}

// "←": the node is removed and the nodes after it move up; the list is read again
// from the table, which drops moves not yet stored with "OK".
void frm恢复流程设置::Command2_Click()
{
    const int selected = List2->listIndex();
    if (selected < 0 || selected >= m_nodes.size())
        throw db::DbError(NoLineSelected, QStringLiteral("请先在流转节点中选择要删除的节点。"));
    ApprovalPaths::removeNode(DbConnection(), {Text1->text(), List2->itemData(selected)});
    loadNodesOfPath();
}

void frm恢复流程设置::Command3_Click()
{
    moveSelectedNode(-1);
}

void frm恢复流程设置::Command4_Click()
{
    moveSelectedNode(+1);
}

// Exchanges the selected line with its neighbour (step -1 above, +1 below). The
// positions stay with the places; nothing is stored until "OK".
void frm恢复流程设置::moveSelectedNode(int step)
{
    Command10->setEnabled(true);
    const int selected = List2->listIndex();
    const int other = selected + step;
    if (selected < 0 || other < 0 || other >= List2->listCount() || other >= m_nodes.size())
        return;
    NodeEntry &a = m_nodes[selected];
    NodeEntry &b = m_nodes[other];
    std::swap(a.deptCode, b.deptCode);
    std::swap(a.deptName, b.deptName);
    std::swap(a.postCode, b.postCode);
    std::swap(a.postName, b.postName);
    std::swap(a.employeeName, b.employeeName);
    const qint64 id = List2->itemData(selected);
    List2->setItemData(selected, List2->itemData(other));
    List2->setItemData(other, id);
    List2->setLineText(selected, nodeLineText(a));
    List2->setLineText(other, nodeLineText(b));
    List2->setListIndex(other);
}

// "OK": the order of the list is stored, as one batch (one transaction).
void frm恢复流程设置::Command10_Click()
{
    QList<qlonglong> ids;
    for (int i = 0; i < List2->listCount(); ++i)
        ids << List2->itemData(i);
    if (ApprovalPaths::storeNodeOrder(DbConnection(), ids) == ApprovalPaths::OrderOutcome::Stored)
        Command10->setEnabled(false);
}
