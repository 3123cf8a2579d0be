#include "platform/db/Recordset.h"

#include "platform/db/Connection.h"
#include "platform/db/DbError.h"

namespace db {

void Recordset::moveNext()
{
    if (!eof())
        ++m_current;
}

void Recordset::setColumns(const QStringList &names, const std::vector<QMetaType::Type> &types)
{
    m_columns = names;
    m_types = types;
}

int Recordset::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Recordset::requireColumn(const QString &name) const
{
    const int index = columnIndex(name);
    if (index < 0)
        throw DbError(-2146825023, QStringLiteral("在对应所需名称或序数的集合中，未找到项目：%1").arg(name));
    return index;
}

std::vector<QVariant> &Recordset::currentRow()
{
    if (eof())
        throw DbError(-2146825267, QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除。"));
    return m_rows[m_current];
}

QVariant Recordset::value(int index) const
{
    if (eof())
        throw DbError(-2146825267, QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除。"));
    if (index < 0 || index >= int(m_rows[m_current].size()))
        throw DbError(-2146825023, QStringLiteral("在对应所需名称或序数的集合中，未找到项目：%1").arg(index));
    return m_rows[m_current][index];
}

QVariant Recordset::value(const QString &name) const
{
    return value(requireColumn(name));
}

bool Recordset::isNull(const QString &name) const
{
    return value(name).isNull();
}

QString Recordset::text(int index) const
{
    const QVariant v = value(index);
    if (v.isNull())
        return QString();
    const QMetaType::Type declared = index < int(m_types.size()) ? m_types[index] : QMetaType::UnknownType;
    if (declared == QMetaType::Bool || v.typeId() == QMetaType::Bool)
        return v.toBool() || v.toLongLong() != 0 ? QStringLiteral("True") : QStringLiteral("False");
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (v.typeId() == QMetaType::QDateTime) {
        // A date without a time of day reads as the date alone, as the embedded database keeps it.
        const QDateTime dt = v.toDateTime();
        return dt.toString(dt.time() == QTime(0, 0) ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (v.typeId() == QMetaType::Double) {
        // Whole amounts show without a decimal part, as the data-access layer gives them.
        return QString::number(v.toDouble(), 'g', 15);
    }
    return v.toString();
}

QString Recordset::text(const QString &name) const
{
    return text(requireColumn(name));
}

double Recordset::number(const QString &name) const
{
    bool ok = false;
    const double n = value(name).toDouble(&ok);
    return ok ? n : 0.0;
}

bool Recordset::flag(const QString &name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s.toLongLong() != 0;
    }
    return v.toLongLong() != 0 || v.toBool();
}

QDateTime Recordset::dateTime(const QString &name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return QDateTime();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    const QString s = v.toString().trimmed();
    for (const char *format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                               "yyyy-MM-dd HH:mm", "yyyy-MM-dd", "yyyy/MM/dd", "yyyy.MM.dd"}) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(format));
        if (dt.isValid())
            return dt;
    }
    return QDateTime();
}

QDate Recordset::date(const QString &name) const
{
    return dateTime(name).date();
}

// ---------------------------------------------------------------- editable

void EditableRecordset::addNew()
{
    m_adding = true;
    m_changedColumns.clear();
    m_changedValues.clear();
}

void EditableRecordset::setValue(const QString &column, const QVariant &value)
{
    if (!m_adding)
        currentRow(); // throws when there is no row to edit
    const int existing = m_changedColumns.indexOf(column);
    if (existing >= 0) {
        m_changedValues[existing] = value;
        return;
    }
    m_changedColumns << column;
    m_changedValues.push_back(value);
}

void EditableRecordset::update()
{
    if (!m_connection || m_connectionLife.expired())
        throw DbError(-2146824584, QStringLiteral("对象关闭时，不允许操作。"));
    if (m_adding) {
        const QVariant id = m_connection->insertRow(m_table, m_changedColumns, m_changedValues);
        // The saved row becomes the current row, with the ID the database assigned.
        std::vector<QVariant> row(m_columns.size());
        for (int i = 0; i < m_changedColumns.size(); ++i) {
            const int c = columnIndex(m_changedColumns[i]);
            if (c >= 0)
                row[c] = m_changedValues[i];
        }
        const int idColumn = columnIndex(QStringLiteral("ID"));
        if (idColumn >= 0)
            row[idColumn] = id;
        m_rows.push_back(std::move(row));
        m_current = m_rows.size() - 1;
        m_adding = false;
    } else {
        std::vector<QVariant> &row = currentRow();
        const int idColumn = requireColumn(QStringLiteral("ID"));
        if (!m_changedColumns.isEmpty())
            m_connection->updateRow(m_table, row[idColumn], m_changedColumns, m_changedValues);
        for (int i = 0; i < m_changedColumns.size(); ++i) {
            const int c = columnIndex(m_changedColumns[i]);
            if (c >= 0)
                row[c] = m_changedValues[i];
        }
    }
    m_changedColumns.clear();
    m_changedValues.clear();
}

} // namespace db
