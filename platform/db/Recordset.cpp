#include "platform/db/Recordset.h"

#include "platform/db/Connection.h"
#include "platform/db/DbError.h"

#include <optional>

namespace db {

void Recordset::moveNext()
{
    if (!eof())
        ++m_current;
}

void EditableRecordset::readPendingRows()
{
    if (!m_connection || m_connectionLife.expired())
        throw DbError(-2146824584, QStringLiteral("对象关闭时，不允许操作。"));
    m_connection->readPendingRows(*this);
}

void EditableRecordset::setPendingStatement(const QString &statement)
{
    m_pendingStatement = statement;
    m_rowsPending = !statement.isEmpty();
}

void Recordset::setColumns(const QStringList &names, const std::vector<QMetaType::Type> &types)
{
    m_columns = names;
    m_types = types;
}

// A window asks for a dozen columns by name for each of many rows. Comparing the
// name with the few column names, length first, is cheaper than hashing it; the first
// of two equally named columns is the one found.
int Recordset::columnIndex(const QString &name) const
{
    const qsizetype length = name.size();
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].size() == length && QStringView(m_columns[i]) == QStringView(name))
            return i;
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

QVariant *Recordset::currentRow()
{
    readRowsIfPending();
    if (eof())
        throw DbError(-2146825267, QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除。"));
    return m_cells.data() + m_current * size_t(m_columns.size());
}

void Recordset::appendRow(std::vector<QVariant> row)
{
    QVariant *cells = newRow();
    for (size_t i = 0; i < row.size() && i < size_t(m_columns.size()); ++i)
        cells[i] = std::move(row[i]);
}

QVariant *Recordset::newRow()
{
    const size_t width = size_t(m_columns.size());
    m_cells.resize(m_cells.size() + width);
    ++m_rowCount;
    return m_cells.data() + (m_rowCount - 1) * width;
}

void Recordset::clearRows()
{
    m_cells.clear();
    m_rowCount = 0;
    m_current = 0;
}

const QVariant &Recordset::cell(int index) const
{
    readRowsIfPending();
    if (eof())
        throw DbError(-2146825267, QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除。"));
    if (index < 0 || index >= int(m_columns.size()))
        throw DbError(-2146825023, QStringLiteral("在对应所需名称或序数的集合中，未找到项目：%1").arg(index));
    return m_cells[m_current * size_t(m_columns.size()) + size_t(index)];
}

QVariant Recordset::value(int index) const
{
    return cell(index);
}

QVariant Recordset::value(const QString &name) const
{
    return value(requireColumn(name));
}

bool Recordset::isNull(const QString &name) const
{
    return cell(requireColumn(name)).isNull();
}

bool Recordset::isNull(int index) const
{
    return cell(index).isNull();
}

QString Recordset::text(int index) const
{
    const QVariant &v = cell(index);
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
    return number(requireColumn(name));
}

double Recordset::number(int index) const
{
    bool ok = false;
    const double n = cell(index).toDouble(&ok);
    return ok ? n : 0.0;
}

bool Recordset::flag(const QString &name) const
{
    const QVariant &v = cell(requireColumn(name));
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s.toLongLong() != 0;
    }
    return v.toLongLong() != 0 || v.toBool();
}

namespace {

// Reads `count` digits at text[at], or -1.
int digitsAt(const QString &text, qsizetype at, int count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[at + i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

struct StoredDateTime
{
    QDate date;
    QTime time; // invalid when the text has no time of day
};

// A date as the databases store it: "yyyy-MM-dd" (or with / or .), optionally followed
// by " HH:mm", ":ss" and ".zzz" (a T may stand for the blank). Read digit by digit:
// no format guessing and no time-zone look-up.
std::optional<StoredDateTime> parseStoredDateTime(const QString &text)
{
    const QString s = text.trimmed();
    const int year = digitsAt(s, 0, 4);
    if (year < 0 || s.size() < 10)
        return std::nullopt;
    const QChar separator = s[4];
    if ((separator != QLatin1Char('-') && separator != QLatin1Char('/') && separator != QLatin1Char('.')) || s[7] != separator)
        return std::nullopt;
    const QDate date(year, digitsAt(s, 5, 2), digitsAt(s, 8, 2));
    if (!date.isValid())
        return std::nullopt;
    if (s.size() == 10)
        return StoredDateTime{date, QTime()};
    if ((s[10] != QLatin1Char(' ') && s[10] != QLatin1Char('T')) || s.size() < 16 || s[13] != QLatin1Char(':'))
        return std::nullopt;
    int second = 0, ms = 0;
    qsizetype end = 16;
    if (s.size() > 16) {
        if (s[16] != QLatin1Char(':') || (second = digitsAt(s, 17, 2)) < 0)
            return std::nullopt;
        end = 19;
        if (s.size() > 19) {
            if (s[19] != QLatin1Char('.'))
                return std::nullopt;
            // Fractions of any length; the first three digits are the milliseconds.
            qsizetype i = 20;
            int scale = 100;
            for (; i < s.size() && s[i].isDigit(); ++i, scale /= 10)
                if (scale > 0)
                    ms += (s[i].unicode() - '0') * scale;
            end = i;
        }
    }
    const QTime time(digitsAt(s, 11, 2), digitsAt(s, 14, 2), second, ms);
    if (end != s.size() || !time.isValid())
        return std::nullopt;
    return StoredDateTime{date, time};
}

} // namespace

QDateTime Recordset::dateTime(const QString &name) const
{
    const QVariant &v = cell(requireColumn(name));
    if (v.isNull())
        return QDateTime();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    const auto parsed = parseStoredDateTime(v.toString());
    if (!parsed)
        return QDateTime();
    return QDateTime(parsed->date, parsed->time.isValid() ? parsed->time : QTime(0, 0));
}

QDate Recordset::date(const QString &name) const
{
    const QVariant &v = cell(requireColumn(name));
    if (v.isNull())
        return QDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    const auto parsed = parseStoredDateTime(v.toString());
    return parsed ? parsed->date : QDate();
}

// ---------------------------------------------------------------- editable

void EditableRecordset::addNew()
{
    // Rows not read yet stay unread: the recordset holds the rows added through it.
    setPendingStatement(QString());
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
        appendRow(std::move(row));
        m_current = m_rowCount - 1;
        m_adding = false;
    } else {
        QVariant *row = currentRow();
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
