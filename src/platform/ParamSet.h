// Values bound to the markers of a statement as parameter arrays: one row for a plain
// execute, many rows for a batched write.
#pragma once

#include <span>
#include <vector>

#include "Connection.h"
#include "Odbc.h"

namespace vtx::odbc {

/// Rows of values bound column by column to a statement's markers. The buffers are copies,
/// kept until the statement has run; the destructor unbinds them.
class ParamSet {
public:
    /// Binds the rows, each holding as many values as the first (batchRuns() checks that);
    /// throws DbError.
    ParamSet(SQLHSTMT stmt, std::span<const Params> rows);
    ~ParamSet();
    ParamSet(const ParamSet&) = delete;
    ParamSet& operator=(const ParamSet&) = delete;

    /// After the execution of many rows: throws DbError unless every row was written.
    void checkEveryRowWritten(SQLRETURN rc) const;

private:
    struct Column;
    static Column layOut(std::span<const Params> rows, size_t marker);

    SQLHSTMT m_stmt;
    size_t m_rows;
    std::vector<Column> m_columns;
    std::vector<SQLUSMALLINT> m_status;
    SQLULEN m_processed = 0;
};

/// The lengths of the runs in which rows go, so that no execution's buffers grow past a few
/// megabytes (a run holds one row at least); throws UsageError unless every row holds as many
/// values as the first.
std::vector<size_t> batchRuns(const std::vector<Params>& rows);

} // namespace vtx::odbc
