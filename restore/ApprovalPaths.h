#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace db {
class Connection;
}

// The approval paths of the void-restoration workflow and their nodes: saving a new
// or an edited path, terminating and deleting one, and appending, removing and
// ordering its nodes. No window: the approval path window fills a request from its
// controls and shows the outcome. A database failure throws db::DbError; a write of
// more than one statement then leaves nothing behind.
namespace ApprovalPaths {

// ---- paths

// What the operator entered for a path at "存盘".
struct PathRequest
{
    // The saved path being edited (its ID); none while a new path is entered.
    std::optional<qlonglong> savedPathId;
    QString code;            // 流程代号 as typed (a saved path's code is shown, never rewritten)
    QString name;            // 流程名称
    QString restorationType; // 作废恢复类别: the type chosen (stored for a new path only)
    QString category;        // the category entry chosen, "{部门类别代号} {部门类别名称}"; empty for none
    QDate setOn;             // 设置日期
};

enum class SaveOutcome {
    Saved,
    CodeMissing,     // no code: nothing sent
    CodeHoldsBlank,  // a new code holding white space (it could not be told from the name): nothing sent
    NameMissing,     // no name: nothing sent
    CategoryMissing, // no category chosen: nothing sent
    CodeInUse,       // another path, terminated ones included, has the new code: nothing written
    PathGone,        // the edited path is no longer stored: nothing written
};

struct SaveResult
{
    SaveOutcome outcome = SaveOutcome::Saved;
    // For Saved: the path as stored (a new path's ID as assigned).
    QString id;
    QString code;
    QString name;
};

// The category code a path stores for a category entry: the entry before its first blank.
QString categoryCodeOf(const QString &categoryEntry);

// Checks the fields, then adds the new path (its code unused by any path) or rewrites
// the name and setting date of the saved one, in one transaction. A saved path keeps
// its code, type and category.
SaveResult savePath(db::Connection &connection, const PathRequest &request);

enum class PathChange { Done, PathGone };

// The code stored for the path with this ID; none when the path is gone.
std::optional<QString> storedPathCode(db::Connection &connection, qlonglong pathId);

struct Termination
{
    qlonglong pathId = 0; // the path's ID
    QDate endOn;          // 终止日期
};

// The path is found by its ID, then ended (by its stored code), in one transaction;
// PathGone, with nothing written, when another operator deleted it.
PathChange terminatePath(db::Connection &connection, const Termination &termination);
// The same for deleting the path with all its nodes.
PathChange deletePath(db::Connection &connection, qlonglong pathId);

// ---- nodes

// A post appended as a node of a path.
struct NewNode
{
    QString pathCode;       // 流程代号
    QString departmentCode; // 部门编号
    QString postCode;       // 岗位编号
    int position = 0;       // 顺序: the node is the last, after position - 1 others
};

// Stores the node; returns the ID the database gave it. None, with nothing written,
// when no path has the code any more (another operator deleted it): a node without its
// path would join the next path entered with that code.
std::optional<qlonglong> appendNode(db::Connection &connection, const NewNode &node);

// A node of a path.
struct NodeOfPath
{
    QString pathCode; // 流程代号
    qlonglong nodeId = 0;
};

enum class NodeRemoval { Removed, AlreadyGone };

// Removes the node and moves the nodes after its stored position up one place, in one
// transaction, so the positions of the path stay 1 … n. A node another operator
// removed already changes nothing.
NodeRemoval removeNode(db::Connection &connection, const NodeOfPath &node);

enum class OrderOutcome { Stored, NothingToStore };

// Stores the order of the nodes: the node with the i-th ID gets position i + 1, as one
// batch. An empty list sends nothing.
OrderOutcome storeNodeOrder(db::Connection &connection, const QList<qlonglong> &nodeIds);

} // namespace ApprovalPaths
