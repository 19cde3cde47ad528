// A lock of the database server held by name, through which the workstations of one
// installation take their turns at a step that reads and then writes.
#pragma once

#include <QString>

namespace vtx {

class Connection;

/// Held from construction, before the caller's transaction begins, until destruction, after it
/// ends. Waits up to ten seconds for another workstation holding it; then throws DbError with
/// the text given.
class NamedLock {
public:
    NamedLock(Connection& connection, const QString& name, const QString& busyText);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

private:
    Connection& m_connection;
    QString m_name;
};

} // namespace vtx
