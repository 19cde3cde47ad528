// Checked ODBC calls and statement handles.
#include "Odbc.h"

#include <utility>

#include "DbError.h"

namespace vtx::odbc {

DbError diagnostics(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    long native = 0;
    QString state;
    QString text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR sqlState[6] = {};
        SQLINTEGER nativeError = 0;
        SQLWCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN r = SQLGetDiagRecW(handleType, handle, record, sqlState, &nativeError,
                                           message, 1024, &length);
        if (!succeeded(r))
            break;
        const QString msg = QString::fromUtf16(reinterpret_cast<const char16_t*>(message),
                                               std::min<int>(length, 1023))
                                .remove(QChar(0));
        if (record == 1) {
            native = nativeError;
            state = QString::fromUtf16(reinterpret_cast<const char16_t*>(sqlState), 5);
            text = msg;
        } else {
            text += QLatin1Char('\n') + msg;
        }
    }
    if (text.isEmpty())
        text = QStringLiteral("ODBC error %1").arg(rc);
    return DbError(native, state, text);
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    if (succeeded(rc) || rc == SQL_NO_DATA)
        return;
    throw diagnostics(rc, handleType, handle);
}

StatementHandle::StatementHandle(SQLHDBC dbc) {
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_handle), SQL_HANDLE_DBC, dbc);
}

StatementHandle::~StatementHandle() {
    if (m_handle != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
}

StatementHandle::StatementHandle(StatementHandle&& other) noexcept
    : m_handle(std::exchange(other.m_handle, SQLHSTMT{})) {}

StatementHandle& StatementHandle::operator=(StatementHandle&& other) noexcept {
    if (this != &other) {
        if (m_handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
        m_handle = std::exchange(other.m_handle, SQLHSTMT{});
    }
    return *this;
}

} // namespace vtx::odbc
