#pragma once

#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace db {

class Connection;

// The rows a query returned, read forward: eof(), moveNext(), fields by name.
// Rows are fetched when the recordset is opened, so several recordsets of one
// connection can be read side by side and the connection is never left busy.
class Recordset
{
public:
    Recordset() = default;
    virtual ~Recordset() = default;
    Recordset(const Recordset &) = default;
    Recordset(Recordset &&) = default;
    Recordset &operator=(const Recordset &) = default;
    Recordset &operator=(Recordset &&) = default;

    bool eof() const
    {
        readRowsIfPending();
        return m_current >= m_rowCount;
    }
    void moveNext();
    // Back to the first row (for windows that read a result twice).
    void moveFirst() { m_current = 0; }
    int recordCount() const
    {
        readRowsIfPending();
        return int(m_rowCount);
    }

    QStringList columnNames() const { return m_columns; }
    // Index of a column, matched without regard to case (as the windows name them); -1 when absent.
    int columnIndex(const QString &name) const;
    bool hasColumn(const QString &name) const { return columnIndex(name) >= 0; }

    // The value of the current row; a null QVariant for NULL. Throws DbError for an
    // unknown column or when there is no current row.
    QVariant value(const QString &name) const;
    QVariant value(int index) const;
    bool isNull(const QString &name) const;
    bool isNull(int index) const;

    // The value as the windows show it: NULL is empty text, a flag is "True" or
    // "False", a date "yyyy-MM-dd", a date and time "yyyy-MM-dd HH:mm:ss".
    QString text(const QString &name) const;
    QString text(int index) const;
    // Numbers and dates read leniently: NULL or text that is no number gives 0 / an invalid date.
    double number(const QString &name) const;
    double number(int index) const;
    bool flag(const QString &name) const;
    QDate date(const QString &name) const;
    QDateTime dateTime(const QString &name) const;

protected:
    friend class Connection;
    void setColumns(const QStringList &names, const std::vector<QMetaType::Type> &types);
    void appendRow(std::vector<QVariant> row);
    // A new last row of empty values, one per column, to be filled in place.
    QVariant *newRow();
    void clearRows();
    size_t currentIndex() const { return m_current; }
    void setCurrentIndex(size_t index) { m_current = index; }
    // The values of the current row, one per column.
    QVariant *currentRow();
    int requireColumn(const QString &name) const;
    // The value of a column of the current row, without a copy.
    const QVariant &cell(int index) const;
    // Rows that are read only when first asked for (an editable recordset's).
    void readRowsIfPending() const
    {
        if (m_rowsPending)
            const_cast<Recordset *>(this)->readPendingRows();
    }
    virtual void readPendingRows() { m_rowsPending = false; }
    bool m_rowsPending = false;

    QStringList m_columns;
    std::vector<QMetaType::Type> m_types;
    // The rows one after the other, a value per column: one block for the whole result.
    std::vector<QVariant> m_cells;
    size_t m_rowCount = 0;
    size_t m_current = 0;
};

// A recordset on one table whose rows can be added or edited field by field and
// saved; the database-assigned ID of an added row is read back on save. Its rows are
// read when one is first asked for: one opened only to add rows reads none of the
// table's, and then holds just the rows added through it.
class EditableRecordset : public Recordset
{
public:
    EditableRecordset() = default;

    // Starts a new row; it is written by update().
    void addNew();
    // Sets a field of the new row or of the current row.
    void setValue(const QString &column, const QVariant &value);
    // Saves the new row (INSERT, then ID read back) or the changed fields of the current row (UPDATE by ID).
    void update();
    QString table() const { return m_table; }

private:
    friend class Connection;
    void readPendingRows() override;
    void setPendingStatement(const QString &statement);

    Connection *m_connection = nullptr;
    QString m_pendingStatement;
    std::weak_ptr<int> m_connectionLife;
    QString m_table;
    bool m_adding = false;
    QStringList m_changedColumns;
    std::vector<QVariant> m_changedValues;
};

} // namespace db
