// Connections, statements with bound values, and the reading of result rows.
#include "Connection.h"

#include <cstring>
#include <deque>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "DbError.h"
#include "Decimal.h"
#include "Odbc.h"
#include "Recordset.h"

namespace vtx {

using odbc::check;
using odbc::succeeded;
using odbc::wide;

namespace {

std::function<void(const QString&, long long)> traceHook;

/// Buffers of one bound value; kept alive until the statement has run.
struct Bound {
    std::u16string text;
    QByteArray utf8; // text as UTF-8, or the bytes of a binary value
    SQLBIGINT integer = 0;
    double real = 0;
    SQL_DATE_STRUCT date{};
    SQL_TIME_STRUCT time{};
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;
};

/// NULL, also for a date, time or moment that holds none (Qt's QDate() and the like).
bool bindsNull(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::QDate:
        return !v.toDate().isValid();
    case QMetaType::QTime:
        return !v.toTime().isValid();
    case QMetaType::QDateTime:
        return !v.toDateTime().isValid();
    default:
        return v.isNull() || !v.isValid();
    }
}

void bindParams(SQLHSTMT stmt, const Params& params, std::deque<Bound>& buffers) {
    for (size_t i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        Bound& b = buffers.emplace_back();
        const auto n = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rc;
        const int type = v.metaType().id();
        if (bindsNull(v)) {
            b.indicator = SQL_NULL_DATA;
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0,
                                  nullptr, 0, &b.indicator);
        } else if (type == qMetaTypeId<Decimal>()) {
            const Decimal d = v.value<Decimal>();
            b.text = d.toString().toStdU16String();
            b.indicator = static_cast<SQLLEN>(b.text.size() * sizeof(char16_t));
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_DECIMAL, 38,
                                  static_cast<SQLSMALLINT>(d.scale()), b.text.data(), b.indicator,
                                  &b.indicator);
        } else if (type == QMetaType::Int || type == QMetaType::LongLong ||
                   type == QMetaType::UInt || type == QMetaType::Bool || type == QMetaType::Short ||
                   type == QMetaType::Long) {
            b.integer = v.toLongLong();
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &b.integer, 0, nullptr);
        } else if (type == QMetaType::Double) {
            b.real = v.toDouble();
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &b.real,
                                  0, nullptr);
        } else if (type == QMetaType::QDate) {
            const QDate d = v.toDate();
            b.date = {static_cast<SQLSMALLINT>(d.year()), static_cast<SQLUSMALLINT>(d.month()),
                      static_cast<SQLUSMALLINT>(d.day())};
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, 0,
                                  &b.date, 0, nullptr);
        } else if (type == QMetaType::QTime) {
            const QTime t = v.toTime();
            b.time = {static_cast<SQLUSMALLINT>(t.hour()), static_cast<SQLUSMALLINT>(t.minute()),
                      static_cast<SQLUSMALLINT>(t.second())};
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIME, SQL_TYPE_TIME, 8, 0,
                                  &b.time, 0, nullptr);
        } else if (type == QMetaType::QDateTime) {
            const QDateTime dt = v.toDateTime();
            b.timestamp = {static_cast<SQLSMALLINT>(dt.date().year()),
                           static_cast<SQLUSMALLINT>(dt.date().month()),
                           static_cast<SQLUSMALLINT>(dt.date().day()),
                           static_cast<SQLUSMALLINT>(dt.time().hour()),
                           static_cast<SQLUSMALLINT>(dt.time().minute()),
                           static_cast<SQLUSMALLINT>(dt.time().second()),
                           0};
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP,
                                  SQL_TYPE_TIMESTAMP, 19, 0, &b.timestamp, 0, nullptr);
        } else if (type == QMetaType::QByteArray) {
            b.utf8 = v.toByteArray();
            b.indicator = static_cast<SQLLEN>(b.utf8.size());
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY,
                                  std::max<SQLULEN>(1, b.utf8.size()), 0, b.utf8.data(),
                                  b.indicator, &b.indicator);
        } else {
            b.utf8 = v.toString().toUtf8();
            b.indicator = static_cast<SQLLEN>(b.utf8.size());
            rc = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(1, b.utf8.size()), 0, b.utf8.data(),
                                  b.indicator, &b.indicator);
        }
        check(rc, SQL_HANDLE_STMT, stmt);
    }
}

enum class ColumnKind { Text, Integer, Real, Decimal, Date, Time, Timestamp, Binary };

ColumnKind kindOf(SQLSMALLINT sqlType, SQLSMALLINT scale) {
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
        return ColumnKind::Integer;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return scale == 0 ? ColumnKind::Decimal : ColumnKind::Decimal;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ColumnKind::Real;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return ColumnKind::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return ColumnKind::Time;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return ColumnKind::Timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return ColumnKind::Binary;
    default:
        return ColumnKind::Text;
    }
}

/// Text columns come back as UTF-8 (the connection's character set), read in pieces.
QString readText(SQLHSTMT stmt, SQLUSMALLINT col, bool& isNull) {
    QByteArray out;
    char buffer[4096];
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(stmt, col, SQL_C_CHAR, buffer, sizeof buffer, &ind);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, stmt);
        if (ind == SQL_NULL_DATA) {
            isNull = true;
            return QString();
        }
        const SQLLEN capacity = sizeof buffer - 1;
        out.append(buffer, (ind == SQL_NO_TOTAL || ind > capacity) ? capacity : ind);
        if (rc == SQL_SUCCESS)
            break;
    }
    isNull = false;
    return QString::fromUtf8(out);
}

QVariant readValue(SQLHSTMT stmt, SQLUSMALLINT col, ColumnKind kind) {
    SQLLEN ind = 0;
    switch (kind) {
    case ColumnKind::Integer: {
        SQLBIGINT v = 0;
        check(SQLGetData(stmt, col, SQL_C_SBIGINT, &v, 0, &ind), SQL_HANDLE_STMT, stmt);
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(static_cast<qlonglong>(v));
    }
    case ColumnKind::Real: {
        double v = 0;
        check(SQLGetData(stmt, col, SQL_C_DOUBLE, &v, 0, &ind), SQL_HANDLE_STMT, stmt);
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(v);
    }
    case ColumnKind::Date: {
        SQL_DATE_STRUCT v{};
        check(SQLGetData(stmt, col, SQL_C_TYPE_DATE, &v, 0, &ind), SQL_HANDLE_STMT, stmt);
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(QDate(v.year, v.month, v.day));
    }
    case ColumnKind::Time: {
        SQL_TIME_STRUCT v{};
        check(SQLGetData(stmt, col, SQL_C_TYPE_TIME, &v, 0, &ind), SQL_HANDLE_STMT, stmt);
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(QTime(v.hour, v.minute, v.second));
    }
    case ColumnKind::Timestamp: {
        SQL_TIMESTAMP_STRUCT v{};
        check(SQLGetData(stmt, col, SQL_C_TYPE_TIMESTAMP, &v, 0, &ind), SQL_HANDLE_STMT, stmt);
        if (ind == SQL_NULL_DATA)
            return QVariant();
        return QVariant(
            QDateTime(QDate(v.year, v.month, v.day), QTime(v.hour, v.minute, v.second)));
    }
    case ColumnKind::Decimal: {
        bool isNull = false;
        const QString text = readText(stmt, col, isNull);
        if (isNull)
            return QVariant();
        if (auto d = Decimal::parse(text))
            return QVariant::fromValue(*d);
        return QVariant(text);
    }
    case ColumnKind::Binary: {
        QByteArray out;
        char buffer[4096];
        for (;;) {
            const SQLRETURN rc = SQLGetData(stmt, col, SQL_C_BINARY, buffer, sizeof buffer, &ind);
            if (rc == SQL_NO_DATA)
                break;
            check(rc, SQL_HANDLE_STMT, stmt);
            if (ind == SQL_NULL_DATA)
                return QVariant();
            const SQLLEN got = (ind == SQL_NO_TOTAL || ind > static_cast<SQLLEN>(sizeof buffer))
                                   ? sizeof buffer
                                   : ind;
            out.append(buffer, got);
            if (rc == SQL_SUCCESS)
                break;
        }
        return out;
    }
    case ColumnKind::Text:
        break;
    }
    bool isNull = false;
    const QString text = readText(stmt, col, isNull);
    return isNull ? QVariant() : QVariant(text);
}

} // namespace

struct Connection::Impl {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool open = false;
    bool inTransaction = false;
    QString connectionString;

    ~Impl() { release(); }

    void release() {
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

    void run(odbc::StatementHandle& stmt, const QString& sql, const Params& params) {
        std::deque<Bound> buffers;
        check(SQLPrepareW(stmt.get(), const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS), SQL_HANDLE_STMT,
              stmt.get());
        bindParams(stmt.get(), params, buffers);
        check(SQLExecute(stmt.get()), SQL_HANDLE_STMT, stmt.get());
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
        odbc::StatementHandle stmt(d->handle());
        d->run(stmt, sql, params);
        SQLLEN rows = 0;
        check(SQLRowCount(stmt.get(), &rows), SQL_HANDLE_STMT, stmt.get());
        if (traceHook)
            traceHook(sql, rows);
        return rows;
    } catch (const DbError& e) {
        dropIfLost(e);
        throw;
    }
}

long long Connection::executeBatch(const QString& sql, const std::vector<Params>& rows) {
    long long affected = 0;
    for (const Params& row : rows)
        affected += execute(sql, row);
    return affected;
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
    odbc::StatementHandle stmt(d->handle());
    d->run(stmt, sql, params);
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(stmt.get(), &count), SQL_HANDLE_STMT, stmt.get());
    QStringList names;
    std::vector<ColumnKind> kinds;
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        check(
            SQLDescribeColW(stmt.get(), c, name, 256, &nameLength, &type, &size, &scale, &nullable),
            SQL_HANDLE_STMT, stmt.get());
        names << QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                    std::min<int>(nameLength, 255));
        kinds.push_back(kindOf(type, scale));
    }
    std::vector<std::vector<QVariant>> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, stmt.get());
        std::vector<QVariant> row;
        row.reserve(count);
        for (SQLUSMALLINT c = 1; c <= count; ++c)
            row.push_back(readValue(stmt.get(), c, kinds[c - 1]));
        rows.push_back(std::move(row));
    }
    if (traceHook)
        traceHook(sql, static_cast<long long>(rows.size()));
    return Recordset(std::move(names), std::move(rows));
}

long long Connection::lastInsertId() {
    Recordset rs = query(QStringLiteral("select last_insert_id()"));
    return rs.isEmpty() ? 0 : rs.value(0, 0).toLongLong();
}

void Connection::beginTransaction() {
    check(SQLSetConnectAttr(d->handle(), SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
          SQL_HANDLE_DBC, d->dbc);
    d->inTransaction = true;
}

void Connection::commit() {
    check(SQLEndTran(SQL_HANDLE_DBC, d->handle(), SQL_COMMIT), SQL_HANDLE_DBC, d->dbc);
    d->inTransaction = false;
    check(SQLSetConnectAttr(d->dbc, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
          SQL_HANDLE_DBC, d->dbc);
}

void Connection::rollback() {
    if (!d->open)
        return;
    SQLEndTran(SQL_HANDLE_DBC, d->dbc, SQL_ROLLBACK);
    d->inTransaction = false;
    SQLSetConnectAttr(d->dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                      0);
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
