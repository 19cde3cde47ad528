// Connections, their kept statements, bound values, batched writes and transactions.
#include "Connection.h"

#include <chrono>
#include <optional>
#include <utility>

#include "DbError.h"
#include "LinkLimits.h"
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

// The client found the link gone before it sent the statement: nothing of it ran.
constexpr long kServerGone = 2006;

// A link idle this long may have been dropped by the server (its wait_timeout, a restart): it
// is checked before the next statement, unless set otherwise.
constexpr std::chrono::milliseconds kIdleBeforeCheck = std::chrono::seconds(2);

/// What a caller's step does to the rows.
enum class Step { Read, Begin, Write, Commit };

/// What a failure of the link in a step left of the save under way. In a transaction, the
/// server drops what it holds with the link; a commit, or a write of its own, that reached the
/// server may have been done (only "server has gone away" says the client never sent it).
SaveOutcome outcomeOf(Step step, bool inTransaction, const DbError& e) {
    if (step == Step::Read && !inTransaction)
        return SaveOutcome::None;
    const bool sent = !e.opening() && !e.unsent() && e.linkLost() && e.nativeCode() != kServerGone;
    const bool ownWrite = step == Step::Commit || (step == Step::Write && !inTransaction);
    return sent && ownWrite ? SaveOutcome::Unknown : SaveOutcome::NothingSaved;
}

/// Runs a wait on the server; a link that failed once the limit had run out is marked as the
/// server not answering in time (the driver tells a time-out as it tells a lost link).
template <typename Work> auto timed(std::chrono::seconds limit, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    try {
        return work();
    } catch (DbError& e) {
        if ((e.opening() || e.linkLost()) && std::chrono::steady_clock::now() - start >= limit)
            e.setTimedOut(limit.count());
        throw;
    }
}

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
    /// The SessionHolds alive: named locks and the like that the server's session holds.
    int sessionHolds = 0;
    std::chrono::steady_clock::time_point lastUsed;
    std::chrono::milliseconds idleBeforeCheck = kIdleBeforeCheck;
    QString connectionString;
    /// The limits the link was opened with.
    LinkLimits limits;
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

    void connect(const QString& text) {
        try {
            check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_HANDLE_ENV, env);
            check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                  SQL_HANDLE_ENV, env);
            check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env);
            limits = linkLimits();
            const QString limited = withLinkLimits(text);
            timed(limits.connect, [&] {
                try {
                    SQLWCHAR out[1024];
                    SQLSMALLINT outLength = 0;
                    check(SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR*>(wide(limited)),
                                            SQL_NTS, out, 1024, &outLength, SQL_DRIVER_NOPROMPT),
                          SQL_HANDLE_DBC, dbc);
                } catch (DbError& e) {
                    // Whatever its number, a failure here is one of opening the link.
                    e.setOpening(connectionKey(text, QStringLiteral("SSLCA")));
                    throw;
                }
            });
            open = true;
            connectionString = text;
            // Short write groups from many workstations: read committed takes no gap locks, so
            // two saves of neighbouring keys do not deadlock each other.
            timed(limits.readWrite, [&] {
                check(SQLSetConnectAttr(dbc, SQL_ATTR_TXN_ISOLATION,
                                        reinterpret_cast<SQLPOINTER>(SQL_TXN_READ_COMMITTED), 0),
                      SQL_HANDLE_DBC, dbc);
            });
        } catch (...) {
            release();
            throw;
        }
        lastUsed = std::chrono::steady_clock::now();
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

    /// A statement of no effect gets through the link. (The driver's own check of a dead
    /// link would open a new one unseen, under the statements kept here.) A server that does
    /// not answer it in time is not waited on again through a new link: the caller's statement
    /// fails unsent, told as a time-out.
    bool answers() {
        try {
            timed(limits.readWrite, [&] {
                withStatement(QStringLiteral("select 1"), [](SQLHSTMT stmt) {
                    check(SQLExecute(stmt), SQL_HANDLE_STMT, stmt);
                    SQLFreeStmt(stmt, SQL_CLOSE);
                });
            });
            return true;
        } catch (DbError& e) {
            if (!e.linkLost())
                throw;
            if (!e.timedOut())
                return false;
            release();
            e.setUnsent();
            throw;
        }
    }

    void reconnect() {
        const QString again = connectionString;
        release();
        connect(again);
    }

    /// Runs a step of the caller's; a failure of the link is marked with what it left of the
    /// save under way.
    template <typename Work> auto told(Step step, Work work) {
        const bool wasInTransaction = inTransaction;
        try {
            return work();
        } catch (DbError& e) {
            if (e.opening() || e.linkLost() || e.serverUnreachable() || e.loginRefused())
                e.setSaveOutcome(outcomeOf(step, wasInTransaction, e));
            throw;
        }
    }

    /// run() and attempt() as a step of the caller's, told as told() tells it.
    template <typename Work> auto run(Step step, Work work) {
        return told(step, [&] { return run(work); });
    }
    template <typename Work> auto attempt(Step step, Work work) {
        return told(step, [&] { return attempt(work); });
    }

    /// Runs the work of one statement. Unless the session holds something a new one would lose
    /// (a transaction, a named lock, a value of its own), a link left idle a while is checked
    /// first and opened anew when it is gone, and a statement the client could not send runs
    /// once more on a new link: the user never sees a link the server dropped meanwhile. Any
    /// other lost link closes the connection and is reported; the statement never runs again.
    template <typename Work> auto run(Work work) {
        const bool mendable = open && !inTransaction && sessionHolds == 0;
        if (mendable && std::chrono::steady_clock::now() - lastUsed > idleBeforeCheck && !answers())
            reconnect();
        try {
            return attempt(work);
        } catch (const DbError& e) {
            if (!mendable || e.nativeCode() != kServerGone)
                throw;
        }
        reconnect();
        return attempt(work);
    }

    /// Runs the work once on the link as it is, never on a new one; a lost link is closed.
    template <typename Work> auto attempt(Work&& work) {
        struct Touch {
            Impl* impl;
            ~Touch() { impl->lastUsed = std::chrono::steady_clock::now(); }
        } touch{this};
        try {
            return timed(limits.readWrite, work);
        } catch (const DbError& e) {
            // A dead link stays dead, and one that timed out may answer late: close it, so that
            // the next use opens it again.
            if (e.linkLost())
                release();
            throw;
        }
    }
};

Connection::Connection() : d(std::make_unique<Impl>()) {}
Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

void Connection::open(const QString& connectionString) {
    d->release();
    d->connect(connectionString);
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
    return d->run(Step::Write, [&] {
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
    });
}

long long Connection::executeBatch(const QString& sql, const std::vector<Params>& rows) {
    if (rows.empty())
        return 0;
    // Outside the caller's transaction the batch is a transaction of its own: all rows or none.
    std::optional<Transaction> own;
    if (!d->inTransaction)
        own.emplace(*this);
    const long long affected = d->attempt(Step::Write, [&] {
        return d->withStatement(sql, [&](SQLHSTMT stmt) {
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
    });
    if (own)
        own->commit();
    trace(sql, affected);
    return affected;
}

Recordset Connection::query(const QString& sql, const Params& params) {
    return d->run(Step::Read, [&] { return read(sql, params); });
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
    // The value belongs to the session of the insert: never read on a new one.
    Recordset rs =
        d->attempt(Step::Read, [&] { return read(QStringLiteral("select last_insert_id()"), {}); });
    return rs.isEmpty() ? 0 : rs.value(0, 0).toLongLong();
}

void Connection::beginTransaction() {
    d->run(Step::Begin, [&] {
        d->handle();
        d->setAutoCommit(false);
    });
    d->inTransaction = true;
}

void Connection::setIdleBeforeCheck(std::chrono::milliseconds idle) {
    d->idleBeforeCheck = idle;
}

Connection::SessionHold Connection::holdSession() {
    return SessionHold(d.get());
}

Connection::SessionHold::SessionHold(Impl* impl) : m_impl(impl) {
    ++m_impl->sessionHolds;
}

Connection::SessionHold::SessionHold(SessionHold&& other) noexcept
    : m_impl(std::exchange(other.m_impl, nullptr)) {}

Connection::SessionHold& Connection::SessionHold::operator=(SessionHold&& other) noexcept {
    if (this != &other) {
        if (m_impl)
            --m_impl->sessionHolds;
        m_impl = std::exchange(other.m_impl, nullptr);
    }
    return *this;
}

Connection::SessionHold::~SessionHold() {
    if (m_impl)
        --m_impl->sessionHolds;
}

void Connection::commit() {
    d->attempt(Step::Commit, [&] {
        check(SQLEndTran(SQL_HANDLE_DBC, d->handle(), SQL_COMMIT), SQL_HANDLE_DBC, d->dbc);
    });
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
