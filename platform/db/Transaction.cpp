#include "platform/db/Transaction.h"

#include "platform/db/Connection.h"

namespace db {

Transaction::Transaction(Connection &connection) : m_connection(connection)
{
    m_connection.begin();
}

Transaction::Transaction(Connection &connection, const QString &exclusiveResource) : m_connection(connection)
{
    m_connection.beginExclusive(exclusiveResource);
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_connection.rollback();
    } catch (const DbError &) {
        // The error that left the scope is the one to report; a roll-back that fails
        // as well (a connection that is gone) adds nothing the operator can act on.
    }
}

void Transaction::commit()
{
    m_open = false;
    m_connection.commit(); // a failed commit has rolled back already
}

} // namespace db
