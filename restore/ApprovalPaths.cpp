#include "restore/ApprovalPaths.h"

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "restore/ApprovalPathSql.h"

#include <algorithm>
#include <functional>

namespace ApprovalPaths {

namespace {

// The grid shows a path as its code, a blank and its name: a code holding a blank
// (or white space of any kind) could not be told from the name there.
bool holdsBlank(const QString &code)
{
    return std::any_of(code.begin(), code.end(), [](QChar c) { return c.isSpace(); });
}

// Why the fields cannot be saved; none when they can.
std::optional<SaveOutcome> fieldProblem(const PathRequest &request)
{
    if (request.code.isEmpty())
        return SaveOutcome::CodeMissing;
    if (!request.savedPathId && holdsBlank(request.code))
        return SaveOutcome::CodeHoldsBlank;
    if (request.name.isEmpty())
        return SaveOutcome::NameMissing;
    if (request.category.isEmpty())
        return SaveOutcome::CategoryMissing;
    return std::nullopt;
}

SaveResult savedAs(const db::EditableRecordset &path)
{
    return {SaveOutcome::Saved, path.text(QStringLiteral("ID")), path.text(QStringLiteral("流程代号")),
            path.text(QStringLiteral("流程名称"))};
}

// A code is taken by any path with it, terminated ones included.
SaveResult addNewPath(db::Connection &connection, const PathRequest &request)
{
    db::EditableRecordset path = connection.openEditable(pathByCodeSql(request.code));
    if (!path.eof())
        return {SaveOutcome::CodeInUse, {}, {}, {}};
    path.addNew();
    path.setValue(QStringLiteral("流程代号"), request.code);
    path.setValue(QStringLiteral("流程名称"), request.name);
    path.setValue(QStringLiteral("作废恢复类别"), request.restorationType);
    path.setValue(QStringLiteral("部门类别"), categoryCodeOf(request.category));
    path.setValue(QStringLiteral("设置日期"), request.setOn);
    path.update();
    return savedAs(path);
}

// Only the name and the setting date of a saved path change.
SaveResult rewriteSavedPath(db::Connection &connection, qlonglong id, const PathRequest &request)
{
    db::EditableRecordset path = connection.openEditable(pathByIdSql(id));
    if (path.eof())
        return {SaveOutcome::PathGone, {}, {}, {}};
    path.setValue(QStringLiteral("流程名称"), request.name);
    path.setValue(QStringLiteral("设置日期"), request.setOn);
    path.update();
    return savedAs(path);
}

// Runs the statement made for the stored code of the path, in one transaction.
PathChange changeStoredPath(db::Connection &connection, qlonglong pathId,
                            const std::function<QString(const QString &code)> &statementFor)
{
    db::Transaction transaction(connection);
    const std::optional<QString> code = storedPathCode(connection, pathId);
    if (!code)
        return PathChange::PathGone;
    connection.execute(statementFor(*code));
    transaction.commit();
    return PathChange::Done;
}

} // namespace

QString categoryCodeOf(const QString &categoryEntry)
{
    return categoryEntry.section(QLatin1Char(' '), 0, 0);
}

SaveResult savePath(db::Connection &connection, const PathRequest &request)
{
    if (const std::optional<SaveOutcome> problem = fieldProblem(request))
        return {*problem, {}, {}, {}};
    db::Transaction transaction(connection);
    const SaveResult result = request.savedPathId ? rewriteSavedPath(connection, *request.savedPathId, request)
                                                  : addNewPath(connection, request);
    // A refused save writes nothing: the scope's end rolls back.
    if (result.outcome == SaveOutcome::Saved)
        transaction.commit();
    return result;
}

// By the path's ID: a code holding a blank cannot be read back from a grid line, and
// a path of the same code entered since is another path.
std::optional<QString> storedPathCode(db::Connection &connection, qlonglong pathId)
{
    const db::Recordset path = connection.open(pathByIdSql(pathId));
    if (path.eof())
        return std::nullopt;
    return path.text(QStringLiteral("流程代号"));
}

PathChange terminatePath(db::Connection &connection, const Termination &termination)
{
    return changeStoredPath(connection, termination.pathId,
                            [&](const QString &code) { return terminatePathSql(code, termination.endOn); });
}

PathChange deletePath(db::Connection &connection, qlonglong pathId)
{
    // The path and its nodes go together.
    return changeStoredPath(connection, pathId, deletePathSql);
}

std::optional<qlonglong> appendNode(db::Connection &connection, const NewNode &node)
{
    db::Transaction transaction(connection);
    if (connection.open(pathByCodeSql(node.pathCode)).eof())
        return std::nullopt;
    db::EditableRecordset row = connection.openEditable(newNodeSql());
    row.addNew();
    row.setValue(QStringLiteral("流程代号"), node.pathCode);
    row.setValue(QStringLiteral("部门编号"), node.departmentCode);
    row.setValue(QStringLiteral("岗位编号"), node.postCode);
    row.setValue(QStringLiteral("顺序"), node.position);
    row.update();
    transaction.commit();
    return row.text(QStringLiteral("ID")).toLongLong();
}

// The gap is closed at the node's stored position: after moves not yet stored the
// node's place in a list differs from it, and closing the gap there would give two
// nodes one position.
NodeRemoval removeNode(db::Connection &connection, const NodeOfPath &node)
{
    db::Transaction transaction(connection);
    const db::Recordset stored = connection.open(nodePositionSql(node.nodeId));
    connection.execute(deleteNodeSql(node.nodeId));
    if (stored.eof()) {
        transaction.commit();
        return NodeRemoval::AlreadyGone;
    }
    connection.execute(closeGapSql(node.pathCode, stored.text(QStringLiteral("顺序")).toInt()));
    transaction.commit();
    return NodeRemoval::Removed;
}

OrderOutcome storeNodeOrder(db::Connection &connection, const QList<qlonglong> &nodeIds)
{
    if (nodeIds.isEmpty())
        return OrderOutcome::NothingToStore;
    connection.execute(reorderNodesSql(nodeIds));
    return OrderOutcome::Stored;
}

} // namespace ApprovalPaths
