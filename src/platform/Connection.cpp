// Connections, their kept statements, bound values, batched writes and transactions.
#include "Connection.h"

#include <optional>

#include "DbError.h"
#include "Odbc.h"
#include "ParamSet.h"
#include "Recordset.h"
#include "RowFetch.h"
#include "StatementCache.h"

namespace vtx {

using odbc::check;
using odbc::succeeded;
using odbc::wide;

namespace {

std::function<void(const QString&, long long)> traceHook;

// The server changed the shape of a kept select's result (its table was altered): the
// statement must be prepared again, and freeing it leaves the link in step.
constexpr long kResultShapeChanged = 2057;

void trace(const QString& sql, long long rows) {
    if (traceHook)
        traceHook(sql, rows);
}

} // namespace

struct Connection::Impl {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool open = false;
    bool inTransaction = false;
    QString connectionString;
    odbc::StatementCache statements;

    ~Impl() { release(); }

    void release() {
        statements.clear();
        if (dbc != SQL_NULL_HDBC) {
            if (open)
                SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
            dbc = SQL_NULL_HDBC;
        }
        if (env != SQL_NULL_HENV) {
            SQLFreeHandle(SQL_HANDLE_ENV, env);
            env = SQL_NULL_HENV;
        }
        open = false;
        inTransaction = false;
    }

    SQLHDBC handle() const {
        if (!open)
            throw UsageError("the connection is closed");
        return dbc;
    }

    /// Runs the kept statement of the text with the work; a statement whose use failed is let
    /// go, so that its next use prepares it anew.
    template <typename Work> auto withStatement(const QString& sql, Work work) {
        const SQLHSTMT stmt = statements.prepared(handle(), sql);
        try {
            return work(stmt);
        } catch (...) {
            statements.forget(sql);
            throw;
        }
    }

    void setAutoCommit(bool on) {
        check(SQLSetConnectAttr(
                  dbc, SQL_ATTR_AUTOCOMMIT,
                  reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0),
              SQL_HANDLE_DBC, dbc);
    }
};

Connection::Connection() : d(std::make_unique<Impl>()) {}
Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

void Connection::open(const QString& connectionString) {
    close();
    try {
        check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &d->env), SQL_HANDLE_ENV, d->env);
        check(SQLSetEnvAttr(d->env, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, d->env);
        check(SQLAllocHandle(SQL_HANDLE_DBC, d->env, &d->dbc), SQL_HANDLE_ENV, d->env);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        check(SQLDriverConnectW(d->dbc, nullptr, const_cast<SQLWCHAR*>(wide(connectionString)),
                                SQL_NTS, out, 1024, &outLength, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, d->dbc);
    } catch (...) {
        d->release();
        throw;
    }
    d->open = true;
    d->connectionString = connectionString;
    // Short write groups from many workstations: read committed takes no gap locks, so two
    // saves of neighbouring keys do not deadlock each other.
    try {
        check(SQLSetConnectAttr(d->dbc, SQL_ATTR_TXN_ISOLATION,
                                reinterpret_cast<SQLPOINTER>(SQL_TXN_READ_COMMITTED), 0),
              SQL_HANDLE_DBC, d->dbc);
    } catch (...) {
        d->release();
        throw;
    }
}

void Connection::close() {
    d->release();
}
bool Connection::isOpen() const {
    return d->open;
}
QString Connection::connectionString() const {
    return d->connectionString;
}

long long Connection::execute(const QString& sql, const Params& params) {
    try {
        const long long rows = d->withStatement(sql, [&](SQLHSTMT stmt) {
            odbc::ParamSet bound(stmt, {&params, 1});
            check(SQLExecute(stmt), SQL_HANDLE_STMT, stmt);
            SQLLEN affected = 0;
            check(SQLRowCount(stmt, &affected), SQL_HANDLE_STMT, stmt);
            // Rows a select run here returned are let go with its cursor.
            SQLFreeStmt(stmt, SQL_CLOSE);
            return static_cast<long long>(affected);
        });
        trace(sql, rows);
        return rows;
    } catch (const DbError& e) {
        dropIfLost(e);
        throw;
    }
}

long long Connection::executeBatch(const QString& sql, const std::vector<Params>& rows) {
    if (rows.empty())
        return 0;
    try {
        // Outside the caller's transaction the batch is a transaction of its own: all rows
        // or none.
        std::optional<Transaction> own;
        if (!d->inTransaction)
            own.emplace(*this);
        const long long affected = d->withStatement(sql, [&](SQLHSTMT stmt) {
            long long total = 0;
            size_t first = 0;
            for (const size_t run : odbc::batchRuns(rows)) {
                odbc::ParamSet bound(stmt, std::span(rows).subspan(first, run));
                const SQLRETURN rc = SQLExecute(stmt);
                check(rc, SQL_HANDLE_STMT, stmt);
                bound.checkEveryRowWritten(rc);
                SQLLEN count = 0;
                check(SQLRowCount(stmt, &count), SQL_HANDLE_STMT, stmt);
                total += count;
                first += run;
            }
            return total;
        });
        if (own)
            own->commit();
        trace(sql, affected);
        return affected;
    } catch (const DbError& e) {
        dropIfLost(e);
        throw;
    }
}

Recordset Connection::query(const QString& sql, const Params& params) {
    try {
        return read(sql, params);
    } catch (const DbError& e) {
        dropIfLost(e);
        throw;
    }
}

void Connection::dropIfLost(const DbError& error) {
    // A dead link stays dead: close it, so that the next use opens it again.
    if (error.connectionLost())
        d->release();
}

Recordset Connection::read(const QString& sql, const Params& params) {
    for (bool again = true;; again = false) {
        std::optional<Recordset> rows = d->withStatement(sql, [&](SQLHSTMT stmt) {
            odbc::ParamSet bound(stmt, {&params, 1});
            const SQLRETURN rc = SQLExecute(stmt);
            if (!succeeded(rc) && rc != SQL_NO_DATA) {
                DbError error = odbc::diagnostics(rc, SQL_HANDLE_STMT, stmt);
                // Nothing was read: prepared anew, the select runs once more.
                if (again && error.nativeCode() == kResultShapeChanged)
                    return std::optional<Recordset>();
                throw error;
            }
            return std::optional<Recordset>(odbc::fetchRows(stmt));
        });
        if (rows) {
            trace(sql, rows->recordCount());
            return std::move(*rows);
        }
        d->statements.forget(sql);
    }
}

long long Connection::lastInsertId() {
    Recordset rs = query(QStringLiteral("select last_insert_id()"));
    return rs.isEmpty() ? 0 : rs.value(0, 0).toLongLong();
}

void Connection::beginTransaction() {
    try {
        d->handle();
        d->setAutoCommit(false);
    } catch (const DbError& e) {
        dropIfLost(e);
        throw;
    }
    d->inTransaction = true;
}

void Connection::commit() {
    try {
        check(SQLEndTran(SQL_HANDLE_DBC, d->handle(), SQL_COMMIT), SQL_HANDLE_DBC, d->dbc);
    } catch (const DbError& e) {
        dropIfLost(e);
        throw;
    }
    d->inTransaction = false;
    // The rows are written: a link that fails now costs a new connection, not a failure.
    try {
        d->setAutoCommit(true);
    } catch (const DbError&) {
        d->release();
    }
}

void Connection::rollback() {
    if (!d->open)
        return;
    d->inTransaction = false;
    // A connection that cannot roll back is closed: the server then drops the transaction
    // and its locks, and the next use starts clean.
    if (!succeeded(SQLEndTran(SQL_HANDLE_DBC, d->dbc, SQL_ROLLBACK)) ||
        !succeeded(SQLSetConnectAttr(d->dbc, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0)))
        d->release();
}

bool Connection::inTransaction() const {
    return d->inTransaction;
}

void Connection::setTrace(std::function<void(const QString&, long long)> trace) {
    traceHook = std::move(trace);
}

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.beginTransaction();
}

Transaction::~Transaction() {
    if (!m_done)
        m_connection.rollback();
}

void Transaction::commit() {
    m_connection.commit();
    m_done = true;
}

} // namespace vtx
