// Internal helpers on the ODBC C API: checked calls, diagnostics, handle ownership.
#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>

namespace vtx {
class DbError;
}

namespace vtx::odbc {

/// Every diagnostic record of the handle as one error: the first record's number and
/// SQLSTATE, all records' texts.
DbError diagnostics(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);
/// Throws diagnostics() unless rc is a success (or SQL_NO_DATA).
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);
inline bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

/// UTF-16 text as ODBC wide characters (unixODBC's SQLWCHAR is 16 bits).
inline const SQLWCHAR* wide(const QString& s) {
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
    return reinterpret_cast<const SQLWCHAR*>(s.utf16());
}

/// Owns one statement handle; move-only.
class StatementHandle {
public:
    explicit StatementHandle(SQLHDBC dbc);
    ~StatementHandle();
    StatementHandle(StatementHandle&& other) noexcept;
    StatementHandle& operator=(StatementHandle&& other) noexcept;
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    SQLHSTMT get() const { return m_handle; }

private:
    SQLHSTMT m_handle = SQL_NULL_HSTMT;
};

} // namespace vtx::odbc
