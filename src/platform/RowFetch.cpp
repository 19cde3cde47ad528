// Bound columns in row arrays, converted from their buffers; piecewise reads for long values.
#include "RowFetch.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

#include <QStringList>

#include "DbError.h"
#include "FetchedRows.h"
#include "Recordset.h"

namespace vtx::odbc {

namespace {

using ColumnKind = FetchedRows::Kind;

ColumnKind kindOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
        return ColumnKind::Integer;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return ColumnKind::Decimal;
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

// Values wider than this are read piecewise rather than bound.
constexpr SQLLEN kWidestBound = 8192;
// A row array holds at most this many rows, in buffers of about this size.
constexpr SQLULEN kRowsPerFetch = 64;
constexpr SQLLEN kFetchBytes = 512 * 1024;

/// One result column: how it is read, and its buffers when bound.
struct Column {
    ColumnKind kind = ColumnKind::Text;
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLLEN width = 0; // bytes of one bound value; 0 for a column read piecewise
    std::vector<char> buffer;
    std::vector<SQLLEN> indicators;
};

/// The bound layout of a column, or a width of 0 when it is to be read piecewise.
void chooseBinding(Column& column, SQLULEN size, SQLLEN octets) {
    switch (column.kind) {
    case ColumnKind::Integer:
        column.cType = SQL_C_SBIGINT;
        column.width = sizeof(SQLBIGINT);
        return;
    case ColumnKind::Real:
        column.cType = SQL_C_DOUBLE;
        column.width = sizeof(double);
        return;
    case ColumnKind::Date:
        column.cType = SQL_C_TYPE_DATE;
        column.width = sizeof(SQL_DATE_STRUCT);
        return;
    case ColumnKind::Time:
        column.cType = SQL_C_TYPE_TIME;
        column.width = sizeof(SQL_TIME_STRUCT);
        return;
    case ColumnKind::Timestamp:
        column.cType = SQL_C_TYPE_TIMESTAMP;
        column.width = sizeof(SQL_TIMESTAMP_STRUCT);
        return;
    case ColumnKind::Decimal:
        // Digits, sign, point and the terminating zero.
        column.cType = SQL_C_CHAR;
        column.width = size > 0 && size <= 64 ? static_cast<SQLLEN>(size) + 3 : 0;
        return;
    case ColumnKind::Binary:
        column.cType = SQL_C_BINARY;
        column.width =
            size > 0 && static_cast<SQLLEN>(size) <= kWidestBound ? static_cast<SQLLEN>(size) : 0;
        return;
    case ColumnKind::Text: {
        // UTF-8 takes up to four bytes a character, plus the terminating zero.
        column.cType = SQL_C_CHAR;
        const SQLLEN bytes = std::max<SQLLEN>(octets, static_cast<SQLLEN>(size) * 4);
        column.width = size > 0 && bytes < kWidestBound ? bytes + 1 : 0;
        return;
    }
    }
}

/// A long value read piecewise into the rows: text as UTF-8 bytes (without the zero the
/// driver ends each piece with) or bytes as they are.
void addPiecewise(SQLHSTMT stmt, SQLUSMALLINT col, const Column& column, FetchedRows& rows) {
    const int index = col - 1;
    char buffer[16384];
    const SQLLEN room = column.cType == SQL_C_CHAR ? sizeof buffer - 1 : sizeof buffer;
    bool started = false;
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(stmt, col, column.cType, buffer, sizeof buffer, &ind);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, stmt);
        if (ind == SQL_NULL_DATA) {
            rows.addNull(index);
            return;
        }
        if (!started)
            rows.startBytes(index);
        started = true;
        rows.appendBytes(index, buffer, (ind == SQL_NO_TOTAL || ind > room) ? room : ind);
        if (rc == SQL_SUCCESS)
            break;
    }
    if (!started)
        rows.startBytes(index);
}

/// A bound column's values of the first rows of the row array into the rows.
void addBound(const Column& column, int index, SQLULEN count, FetchedRows& rows) {
    // Each value is the fixed value that the read made of a cell, the cell's buffer given.
    auto addEach = [&](auto fixedValue) {
        for (SQLULEN r = 0; r < count; ++r) {
            if (column.indicators[r] == SQL_NULL_DATA)
                rows.addNull(index);
            else
                rows.addFixed(index, fixedValue(column.buffer.data() + r * column.width));
        }
    };
    switch (column.kind) {
    case ColumnKind::Integer:
        return addEach([](const char* p) { return *reinterpret_cast<const SQLBIGINT*>(p); });
    case ColumnKind::Real:
        return addEach([](const char* p) {
            return std::bit_cast<std::int64_t>(*reinterpret_cast<const double*>(p));
        });
    case ColumnKind::Date:
        return addEach([](const char* p) {
            const auto& d = *reinterpret_cast<const SQL_DATE_STRUCT*>(p);
            return FetchedRows::packDate(d.year, d.month, d.day);
        });
    case ColumnKind::Time:
        return addEach([](const char* p) {
            const auto& t = *reinterpret_cast<const SQL_TIME_STRUCT*>(p);
            return FetchedRows::packTime(t.hour, t.minute, t.second);
        });
    case ColumnKind::Timestamp:
        return addEach([](const char* p) {
            const auto& ts = *reinterpret_cast<const SQL_TIMESTAMP_STRUCT*>(p);
            return FetchedRows::packMoment(ts.year, ts.month, ts.day, ts.hour, ts.minute,
                                           ts.second);
        });
    default:
        break;
    }
    // The width holds the longest value the column can have; a longer one would be cut.
    const SQLLEN room = column.cType == SQL_C_CHAR ? column.width - 1 : column.width;
    for (SQLULEN r = 0; r < count; ++r) {
        const SQLLEN ind = column.indicators[r];
        if (ind == SQL_NULL_DATA) {
            rows.addNull(index);
            continue;
        }
        if (ind == SQL_NO_TOTAL || ind > room)
            throw UsageError("a value is longer than its column's declared size");
        rows.addBytes(index, column.buffer.data() + r * column.width,
                      static_cast<std::size_t>(ind));
    }
}

/// Unbinds the columns and closes the cursor, leaving the statement ready to run again.
class CursorReset {
public:
    explicit CursorReset(SQLHSTMT stmt) : m_stmt(stmt) {}
    ~CursorReset() {
        SQLFreeStmt(m_stmt, SQL_CLOSE);
        SQLFreeStmt(m_stmt, SQL_UNBIND);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    }
    CursorReset(const CursorReset&) = delete;
    CursorReset& operator=(const CursorReset&) = delete;

private:
    SQLHSTMT m_stmt;
};

} // namespace

Recordset fetchRows(SQLHSTMT stmt) {
    CursorReset reset(stmt);
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt);

    // Describe the columns and choose how each is read.
    QStringList names;
    std::vector<Column> columns(count);
    bool piecewise = false;
    SQLLEN rowBytes = 0;
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeColW(stmt, c, name, 256, &nameLength, &type, &size, &scale, &nullable),
              SQL_HANDLE_STMT, stmt);
        names << QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                    std::min<int>(nameLength, 255));
        SQLLEN octets = 0;
        check(SQLColAttributeW(stmt, c, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &octets),
              SQL_HANDLE_STMT, stmt);
        Column& column = columns[c - 1];
        column.kind = kindOf(type);
        chooseBinding(column, size, octets);
        piecewise = piecewise || column.width == 0;
        rowBytes += column.width + static_cast<SQLLEN>(sizeof(SQLLEN));
    }

    // Many rows a fetch, unless a column is read piecewise: this driver's SQLGetData reads
    // only the first row of an array.
    const SQLULEN rowsPerFetch =
        piecewise
            ? 1
            : std::clamp<SQLULEN>(kFetchBytes / std::max<SQLLEN>(rowBytes, 1), 1, kRowsPerFetch);
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> status(rowsPerFetch);
    check(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowsPerFetch),
                         0),
          SQL_HANDLE_STMT, stmt);
    check(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_HANDLE_STMT, stmt);
    check(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0), SQL_HANDLE_STMT, stmt);
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
        Column& column = columns[c - 1];
        if (column.width == 0)
            continue;
        column.buffer.resize(rowsPerFetch * column.width);
        column.indicators.resize(rowsPerFetch);
        check(SQLBindCol(stmt, c, column.cType, column.buffer.data(), column.width,
                         column.indicators.data()),
              SQL_HANDLE_STMT, stmt);
    }

    std::vector<ColumnKind> kinds;
    for (const Column& column : columns)
        kinds.push_back(column.kind);
    auto rows = std::make_shared<FetchedRows>(std::move(kinds));
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, stmt);
        // A row the driver could not convert is an error, never a row of stale values.
        for (SQLULEN r = 0; r < fetched; ++r)
            if (status[r] == SQL_ROW_ERROR)
                throw diagnostics(rc, SQL_HANDLE_STMT, stmt);
        // Column by column; a piecewise column's value is read for the one row fetched.
        for (SQLUSMALLINT c = 1; c <= count; ++c) {
            const Column& column = columns[c - 1];
            if (column.width == 0)
                addPiecewise(stmt, c, column, *rows);
            else
                addBound(column, c - 1, fetched, *rows);
        }
        rows->endRows(static_cast<int>(fetched));
    }
    return Recordset(std::move(names), std::move(rows));
}

} // namespace vtx::odbc
