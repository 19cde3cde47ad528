// Server locks by name: get_lock and release_lock of the connection's session.
#include "NamedLock.h"

#include "Connection.h"
#include "DbError.h"
#include "Recordset.h"

namespace vtx {

NamedLock::NamedLock(Connection& connection, const QString& name, const QString& busyText)
    : m_connection(connection), m_name(name) {
    const QVariant got =
        connection.query(QStringLiteral("select get_lock(?, 10)"), {m_name}).value(0, 0);
    if (got.toInt() != 1)
        throw DbError(0, QStringLiteral("HY000"), busyText);
}

NamedLock::~NamedLock() {
    try {
        m_connection.query(QStringLiteral("select release_lock(?)"), {m_name});
    } catch (const DbError&) {
        // A lost link ends the server's session, and the lock with it.
    }
}

} // namespace vtx
