#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// A failure reported by the data-access layer: a number and a description, as the
// windows show them ("{number} {description}" or the two-line error box).
class DbError : public std::runtime_error
{
public:
    // The generic failure code of the Windows data-access layer (0x80004005), used
    // when the driver gives no number of its own.
    static constexpr int GenericFailure = -2147467259;
    // The data-access layer's number for a time-out that expired (0x80040E31), used when
    // the program itself gives up waiting.
    static constexpr int TimeoutExpired = -2147217871;

    DbError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }
    explicit DbError(const QString &description) : DbError(GenericFailure, description) {}

    int number() const { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

} // namespace db
