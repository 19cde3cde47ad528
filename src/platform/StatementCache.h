// The statements a connection has prepared, kept by their SQL text for the next run.
#pragma once

#include <list>

#include <QHash>
#include <QString>

#include "Odbc.h"

namespace vtx::odbc {

/// Prepared statements of one connection by SQL text; past a limit the least recently used
/// one is let go.
class StatementCache {
public:
    /// The kept statement of the text, prepared on its first use; throws DbError.
    SQLHSTMT prepared(SQLHDBC dbc, const QString& sql);
    /// Lets the statement of the text go, so that its next use prepares it anew.
    void forget(const QString& sql);
    /// Lets every statement go (before the connection closes).
    void clear();

private:
    struct Entry {
        QString sql;
        StatementHandle handle;
    };
    std::list<Entry> m_entries; // the most recently used first
    QHash<QString, std::list<Entry>::iterator> m_index;
};

} // namespace vtx::odbc
