// Server locks by name: get_lock and release_lock of the connection's session.
#include "NamedLock.h"

#include "DbError.h"
#include "Recordset.h"

namespace vtx {

NamedLock::NamedLock(Connection& connection, LockName name)
    : m_connection(connection), m_name(std::move(name)) {}

NamedLock::NamedLock(Connection& connection, LockName name, const QString& busyText)
    : NamedLock(connection, std::move(name)) {
    if (!take(/*waitSeconds=*/10))
        throw DbError(0, QStringLiteral("HY000"), busyText);
}

std::unique_ptr<NamedLock> NamedLock::tryTake(Connection& connection, LockName name) {
    std::unique_ptr<NamedLock> lock(new NamedLock(connection, std::move(name)));
    if (!lock->take(/*waitSeconds=*/0))
        return nullptr;
    return lock;
}

bool NamedLock::take(int waitSeconds) {
    Params values = m_name.values;
    values.push_back(waitSeconds);
    const QVariant got =
        m_connection.query(QStringLiteral("select get_lock(%1, ?)").arg(m_name.expression), values)
            .value(0, 0);
    if (got.toInt() == 1)
        m_hold.emplace(m_connection.holdSession());
    return m_hold.has_value();
}

NamedLock::~NamedLock() {
    // A closed connection lost its link: the server ended the session, and the lock with it.
    // The session hold goes after the release, with the members.
    if (!m_hold || !m_connection.isOpen())
        return;
    try {
        m_connection.query(QStringLiteral("select release_lock(%1)").arg(m_name.expression),
                           m_name.values);
    } catch (...) {
        // Nothing leaves a destructor; a link lost now takes the lock with its session.
    }
}

} // namespace vtx
