// Kept statements, most recently used first.
#include "StatementCache.h"

namespace vtx::odbc {

namespace {

// Enough for the statements of every form a workstation keeps open, while many workstations
// stay far below the server's limit of prepared statements.
constexpr qsizetype kKept = 64;

} // namespace

SQLHSTMT StatementCache::prepared(SQLHDBC dbc, const QString& sql) {
    if (const auto found = m_index.constFind(sql); found != m_index.constEnd()) {
        m_entries.splice(m_entries.begin(), m_entries, found.value());
        return m_entries.front().handle.get();
    }
    StatementHandle handle(dbc);
    check(SQLPrepareW(handle.get(), const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS), SQL_HANDLE_STMT,
          handle.get());
    if (m_index.size() >= kKept) {
        m_index.remove(m_entries.back().sql);
        m_entries.pop_back();
    }
    m_entries.push_front({sql, std::move(handle)});
    m_index.insert(sql, m_entries.begin());
    return m_entries.front().handle.get();
}

void StatementCache::forget(const QString& sql) {
    if (const auto found = m_index.constFind(sql); found != m_index.constEnd()) {
        m_entries.erase(found.value());
        m_index.erase(found);
    }
}

void StatementCache::clear() {
    m_index.clear();
    m_entries.clear();
}

} // namespace vtx::odbc
