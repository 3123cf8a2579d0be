#pragma once

#include <QString>

namespace db {

class Connection;

// A transaction for the length of a scope: commit() writes it; leaving the scope any
// other way (an exception, an early return) rolls it back.
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    // The exclusive kind (Connection::beginExclusive): the right to write is held from
    // the start, so a check and the write that depends on it cannot be interleaved.
    Transaction(Connection &connection, const QString &exclusiveResource);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Connection &m_connection;
    bool m_open = true;
};

} // namespace db
