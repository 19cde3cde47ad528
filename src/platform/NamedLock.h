// A lock of the database server held by name, through which the workstations of one
// installation take their turns at a step that reads and then writes.
#pragma once

#include <memory>
#include <optional>

#include <QString>

#include "Connection.h"

namespace vtx {

/// The name of a server lock as the server builds it: an SQL expression over bound values, so
/// that the server may fold a name as its own comparisons do.
struct LockName {
    QString expression;
    Params values;

    /// A name given whole.
    static LockName fixed(const QString& name) { return {QStringLiteral("?"), {name}}; }
};

/// Held from construction until destruction, around the caller's transaction. Its release is
/// only attempted on an open connection (a lost link ends the server's session, and its locks
/// with it) and never throws.
class NamedLock {
public:
    /// Waits up to ten seconds for another workstation holding it; then throws DbError with
    /// the text given.
    NamedLock(Connection& connection, LockName name, const QString& busyText);
    /// The lock when no one holds it now, else null; throws DbError.
    static std::unique_ptr<NamedLock> tryTake(Connection& connection, LockName name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

private:
    NamedLock(Connection& connection, LockName name);
    bool take(int waitSeconds);

    Connection& m_connection;
    LockName m_name;
    /// While the lock is held: a new session in place of a lost one would not hold it.
    std::optional<Connection::SessionHold> m_hold;
};

} // namespace vtx
