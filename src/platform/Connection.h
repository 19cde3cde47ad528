// A database connection over ODBC, opened with a connection string as the driver takes it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QVariant>

namespace vtx {

class Recordset;

/// Values bound to the "?" markers of a statement, in order; a null QVariant binds NULL, and
/// so does a date, time or moment that holds none.
using Params = std::vector<QVariant>;

/// One ODBC connection; move-only, closed on destruction. A statement that begins outside a
/// transaction first checks a link left idle a while (setIdleBeforeCheck()), and a link the
/// server dropped meanwhile is opened anew unseen (see holdSession()).
class Connection {
    struct Impl;

public:
    /// Marks the server's session as holding something of the holder's besides a transaction
    /// (a named lock): while any hold lives, a lost link is reported and never replaced by a new
    /// session. Move-only; released once, by its destructor, which never throws. The
    /// connection must outlive its holds.
    class SessionHold {
    public:
        SessionHold(SessionHold&& other) noexcept;
        SessionHold& operator=(SessionHold&& other) noexcept;
        SessionHold(const SessionHold&) = delete;
        SessionHold& operator=(const SessionHold&) = delete;
        ~SessionHold();

    private:
        friend class Connection;
        explicit SessionHold(Impl* impl);
        Impl* m_impl = nullptr;
    };

    Connection();
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Opens with the string as given, bounded by the link limits of LinkLimits.h (the driver
    /// gets them after the text); throws DbError with the driver's number and text, marked as a
    /// failure of opening. A statement that waits past the limit fails as a lost link, marked
    /// as timed out, and closes the connection.
    void open(const QString& connectionString);
    /// A connection whose link to the server was lost closes itself: isOpen() turns false.
    void close();
    bool isOpen() const;
    QString connectionString() const;

    /// Runs a statement that returns no rows; the number of rows it affected.
    long long execute(const QString& sql, const Params& params = {});
    /// Runs one statement once for each row of values (each row binds the markers in order),
    /// inside the caller's transaction when there is one, else in one of its own: all rows or
    /// none. The rows affected in all; UsageError when a row holds fewer or more values than
    /// the first.
    long long executeBatch(const QString& sql, const std::vector<Params>& rows);
    /// Runs a select and reads every row it returns.
    Recordset query(const QString& sql, const Params& params = {});
    /// The value the last insert gave to an auto-increment column.
    long long lastInsertId();

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    /// How long the link may sit idle before the next statement checks it first: two seconds
    /// unless set. Kept when the connection is opened again.
    void setIdleBeforeCheck(std::chrono::milliseconds idle);

    /// A hold on the server's session (see SessionHold).
    [[nodiscard]] SessionHold holdSession();

    /// Called with each statement and the rows it returned or touched (tests, benchmarks).
    static void setTrace(std::function<void(const QString& sql, long long rows)> trace);

private:
    Recordset read(const QString& sql, const Params& params);

    std::unique_ptr<Impl> d;
};

/// Rolls back on destruction unless commit() ran; never commits by itself.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

} // namespace vtx
