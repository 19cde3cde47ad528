// Parameter arrays: each marker gets one buffer holding its value of every row.
#include "ParamSet.h"

#include <algorithm>
#include <cstring>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "DbError.h"
#include "Decimal.h"

namespace vtx::odbc {

namespace {

/// What a marker's values are bound as; a marker whose rows mix kinds is bound as text.
enum class Kind { Null, Integer, Real, Decimal, Date, Time, Timestamp, Bytes, Text };

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

Kind kindOf(const QVariant& v) {
    if (bindsNull(v))
        return Kind::Null;
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::Long:
        return Kind::Integer;
    case QMetaType::Double:
        return Kind::Real;
    case QMetaType::QDate:
        return Kind::Date;
    case QMetaType::QTime:
        return Kind::Time;
    case QMetaType::QDateTime:
        return Kind::Timestamp;
    case QMetaType::QByteArray:
        return Kind::Bytes;
    default:
        return v.metaType().id() == qMetaTypeId<Decimal>() ? Kind::Decimal : Kind::Text;
    }
}

/// The bytes a value is sent as when its marker goes as text or bytes.
QByteArray bytesOf(const QVariant& v, Kind kind) {
    switch (v.metaType().id()) {
    case QMetaType::QByteArray:
        return v.toByteArray();
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    default:
        return kind == Kind::Decimal ? v.value<Decimal>().toString().toLatin1()
                                     : v.toString().toUtf8();
    }
}

/// How a kind is bound: C type, SQL type, column size and the bytes of one value (0 when
/// the values vary in length).
struct Binding {
    SQLSMALLINT cType;
    SQLSMALLINT sqlType;
    SQLULEN columnSize;
    SQLLEN width;
};

Binding bindingOf(Kind kind) {
    switch (kind) {
    case Kind::Integer:
        return {SQL_C_SBIGINT, SQL_BIGINT, 0, sizeof(SQLBIGINT)};
    case Kind::Real:
        return {SQL_C_DOUBLE, SQL_DOUBLE, 0, sizeof(double)};
    case Kind::Date:
        return {SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, sizeof(SQL_DATE_STRUCT)};
    case Kind::Time:
        return {SQL_C_TYPE_TIME, SQL_TYPE_TIME, 8, sizeof(SQL_TIME_STRUCT)};
    case Kind::Timestamp:
        return {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, sizeof(SQL_TIMESTAMP_STRUCT)};
    case Kind::Decimal:
        return {SQL_C_CHAR, SQL_DECIMAL, 38, 0};
    case Kind::Bytes:
        return {SQL_C_BINARY, SQL_VARBINARY, 0, 0};
    case Kind::Null:
    case Kind::Text:
        break;
    }
    return {SQL_C_CHAR, SQL_VARCHAR, 0, 0};
}

/// A rough upper bound of the bytes a value takes in a buffer.
size_t estimatedBytes(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::QString:
        return static_cast<size_t>(v.toString().size()) * 3;
    case QMetaType::QByteArray:
        return static_cast<size_t>(v.toByteArray().size());
    default:
        return 32;
    }
}

constexpr size_t kRunBytes = 4 * 1024 * 1024;

} // namespace

struct ParamSet::Column {
    Kind kind = Kind::Null;
    Binding binding{};
    SQLSMALLINT scale = 0;
    std::vector<char> data;
    std::vector<SQLLEN> indicators;

    char* at(size_t row) { return data.data() + row * binding.width; }
};

namespace {

/// Copies a value of a fixed-size kind into its buffer.
void copyFixed(char* out, const QVariant& v, Kind kind) {
    auto put = [out](const auto& value) { std::memcpy(out, &value, sizeof value); };
    switch (kind) {
    case Kind::Integer:
        return put(SQLBIGINT(v.toLongLong()));
    case Kind::Real:
        return put(v.toDouble());
    case Kind::Date: {
        const QDate d = v.toDate();
        return put(SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(d.year()),
                                   static_cast<SQLUSMALLINT>(d.month()),
                                   static_cast<SQLUSMALLINT>(d.day())});
    }
    case Kind::Time: {
        const QTime t = v.toTime();
        return put(SQL_TIME_STRUCT{static_cast<SQLUSMALLINT>(t.hour()),
                                   static_cast<SQLUSMALLINT>(t.minute()),
                                   static_cast<SQLUSMALLINT>(t.second())});
    }
    case Kind::Timestamp: {
        const QDateTime dt = v.toDateTime();
        return put(SQL_TIMESTAMP_STRUCT{static_cast<SQLSMALLINT>(dt.date().year()),
                                        static_cast<SQLUSMALLINT>(dt.date().month()),
                                        static_cast<SQLUSMALLINT>(dt.date().day()),
                                        static_cast<SQLUSMALLINT>(dt.time().hour()),
                                        static_cast<SQLUSMALLINT>(dt.time().minute()),
                                        static_cast<SQLUSMALLINT>(dt.time().second()), 0});
    }
    default:
        return;
    }
}

} // namespace

/// The buffers of one marker: its kind, and every row's value at one width.
ParamSet::Column ParamSet::layOut(std::span<const Params> rows, size_t marker) {
    Column column;
    // The kind of the marker's values; NULLs fit any kind.
    for (const Params& row : rows) {
        const Kind kind = kindOf(row[marker]);
        if (kind != Kind::Null && kind != column.kind)
            column.kind = column.kind == Kind::Null ? kind : Kind::Text;
    }
    column.binding = bindingOf(column.kind);
    column.indicators.assign(rows.size(), 0);

    // Values of varying length are laid out at the widest one's width.
    std::vector<QByteArray> bytes;
    if (column.binding.width == 0) {
        bytes.resize(rows.size());
        SQLLEN widest = 1;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (kindOf(rows[r][marker]) == Kind::Null)
                continue;
            bytes[r] = bytesOf(rows[r][marker], column.kind);
            widest = std::max<SQLLEN>(widest, bytes[r].size());
            if (column.kind == Kind::Decimal)
                column.scale = std::max<SQLSMALLINT>(
                    column.scale,
                    static_cast<SQLSMALLINT>(rows[r][marker].value<Decimal>().scale()));
        }
        column.binding.width = widest;
        if (column.binding.columnSize == 0)
            column.binding.columnSize = static_cast<SQLULEN>(widest);
    }
    column.data.resize(rows.size() * column.binding.width);

    for (size_t r = 0; r < rows.size(); ++r) {
        const QVariant& v = rows[r][marker];
        if (kindOf(v) == Kind::Null) {
            column.indicators[r] = SQL_NULL_DATA;
        } else if (bytes.empty()) {
            copyFixed(column.at(r), v, column.kind);
        } else {
            std::memcpy(column.at(r), bytes[r].constData(), bytes[r].size());
            column.indicators[r] = bytes[r].size();
        }
    }
    return column;
}

ParamSet::ParamSet(SQLHSTMT stmt, std::span<const Params> rows)
    : m_stmt(stmt), m_rows(rows.size()) {
    const size_t markers = rows.empty() ? 0 : rows.front().size();
    for (size_t c = 0; c < markers; ++c)
        m_columns.push_back(layOut(rows, c));

    // Many rows report each row's outcome; one row needs none of the array settings.
    if (m_rows > 1) {
        m_status.assign(m_rows, SQL_PARAM_UNUSED);
        check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_BIND_TYPE,
                             reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0),
              SQL_HANDLE_STMT, stmt);
        check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(m_rows), 0),
              SQL_HANDLE_STMT, stmt);
        check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, m_status.data(), 0), SQL_HANDLE_STMT,
              stmt);
        check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &m_processed, 0), SQL_HANDLE_STMT,
              stmt);
    }
    for (size_t c = 0; c < m_columns.size(); ++c) {
        Column& column = m_columns[c];
        check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_PARAM_INPUT,
                               column.binding.cType, column.binding.sqlType,
                               column.binding.columnSize, column.scale, column.data.data(),
                               column.binding.width, column.indicators.data()),
              SQL_HANDLE_STMT, stmt);
    }
}

ParamSet::~ParamSet() {
    SQLFreeStmt(m_stmt, SQL_RESET_PARAMS);
    if (m_rows > 1) {
        SQLSetStmtAttr(m_stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(m_stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
    }
}

void ParamSet::checkEveryRowWritten(SQLRETURN rc) const {
    if (m_rows <= 1)
        return;
    for (size_t r = 0; r < m_rows; ++r) {
        const SQLUSMALLINT status = m_status[r];
        if (r < m_processed &&
            (status == SQL_PARAM_SUCCESS || status == SQL_PARAM_SUCCESS_WITH_INFO))
            continue;
        const DbError driver = diagnostics(rc, SQL_HANDLE_STMT, m_stmt);
        if (!driver.sqlState().isEmpty())
            throw driver;
        throw DbError(0, QStringLiteral("HY000"),
                      QStringLiteral("Row %1 of %2 was not written").arg(r + 1).arg(m_rows));
    }
}

std::vector<size_t> batchRuns(const std::vector<Params>& rows) {
    std::vector<size_t> runs;
    std::vector<size_t> widest;
    size_t run = 0;
    for (const Params& row : rows) {
        // Checked before any run is written, so that a batch is refused whole.
        if (row.size() != rows.front().size())
            throw UsageError("every row of a batch must hold as many values as the first");
        std::vector<size_t> grown = widest;
        grown.resize(std::max(grown.size(), row.size()), 0);
        size_t rowBytes = 0;
        for (size_t c = 0; c < row.size(); ++c) {
            grown[c] = std::max(grown[c], estimatedBytes(row[c]));
            rowBytes += grown[c];
        }
        if (run > 0 && (run + 1) * rowBytes > kRunBytes) {
            runs.push_back(run);
            run = 0;
            grown.assign(row.size(), 0);
            for (size_t c = 0; c < row.size(); ++c)
                grown[c] = estimatedBytes(row[c]);
        }
        widest = std::move(grown);
        ++run;
    }
    if (run > 0)
        runs.push_back(run);
    return runs;
}

} // namespace vtx::odbc
