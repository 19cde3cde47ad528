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
    m_held = got.toInt() == 1;
    // A new session in place of a lost one would not hold the lock.
    if (m_held)
        m_connection.holdSession();
    return m_held;
}

NamedLock::~NamedLock() {
    if (!m_held)
        return;
    // A closed connection lost its link: the server ended the session, and the lock with it.
    if (m_connection.isOpen()) {
        try {
            m_connection.query(QStringLiteral("select release_lock(%1)").arg(m_name.expression),
                               m_name.values);
        } catch (...) {
            // Nothing leaves a destructor; a link lost now takes the lock with its session.
        }
    }
    m_connection.releaseSession();
}

} // namespace vtx
