// The in-memory cursor and its write-back through bound statements.
#include "Recordset.h"

#include <stdexcept>

#include "Connection.h"
#include "DbError.h"
#include "FetchedRows.h"

namespace vtx {

Recordset::Recordset(QStringList columns, std::vector<std::vector<QVariant>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

Recordset::Recordset(QStringList columns, std::shared_ptr<const FetchedRows> rows)
    : m_columns(std::move(columns)), m_fetched(std::move(rows)) {}

int Recordset::fetchedCount() const {
    return m_fetched ? m_fetched->rowCount() : 0;
}

int Recordset::columnIndex(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Recordset::checkedColumn(const QString& column) const {
    const int c = columnIndex(column);
    if (c < 0)
        throw UsageError("unknown column " + column.toStdString());
    return c;
}

QVariant Recordset::value(const QString& column) const {
    const int c = checkedColumn(column);
    if (eof() || bof())
        throw UsageError("no current row");
    for (const auto& [col, v] : m_changes)
        if (col == c && m_editRow == m_pos)
            return v;
    return value(m_pos, c);
}

QVariant Recordset::value(int row, int column) const {
    if (row < 0 || row >= recordCount() || column < 0 || column >= m_columns.size())
        throw std::out_of_range("no such row or column");
    const int fetched = fetchedCount();
    if (row >= fetched)
        return m_rows[row - fetched].at(column);
    if (!m_written.empty())
        if (const auto found = m_written.find({row, column}); found != m_written.end())
            return found->second;
    return m_fetched->value(row, column);
}

void Recordset::setCell(int row, int column, const QVariant& value) {
    const int fetched = fetchedCount();
    if (row >= fetched)
        m_rows[row - fetched][column] = value;
    else
        m_written[{row, column}] = value;
}

QString Recordset::text(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

bool Recordset::isNull(const QString& column) const {
    return value(column).isNull();
}

bool Recordset::find(const std::function<bool(const Recordset&)>& predicate) {
    if (m_pos < 0)
        m_pos = 0;
    for (; m_pos < recordCount(); ++m_pos)
        if (predicate(*this))
            return true;
    return false;
}

void Recordset::setUpdateTarget(Connection* connection, const QString& table,
                                QStringList keyColumns, const QString& autoIncrementColumn) {
    m_connection = connection;
    m_table = table;
    m_keys = std::move(keyColumns);
    m_autoIncrement = autoIncrementColumn;
}

void Recordset::addNew() {
    cancelUpdate();
    m_rows.emplace_back(m_columns.size());
    m_pos = recordCount() - 1;
    m_editRow = m_pos;
    m_adding = true;
}

void Recordset::setValue(const QString& column, const QVariant& value) {
    const int c = checkedColumn(column);
    if (eof() || bof())
        throw UsageError("no current row");
    if (m_editRow != m_pos) {
        cancelUpdate();
        m_editRow = m_pos;
    }
    for (auto& [col, v] : m_changes)
        if (col == c) {
            v = value;
            return;
        }
    m_changes.emplace_back(c, value);
}

long long Recordset::update() {
    if (m_editRow < 0)
        return 0;
    if (!m_connection || m_table.isEmpty())
        throw UsageError("the recordset has no table to write to");
    Params params;
    QString sql;
    if (m_adding) {
        QStringList names, marks;
        for (const auto& [col, v] : m_changes) {
            names << m_columns[col];
            marks << QStringLiteral("?");
            params.push_back(v);
        }
        sql = QStringLiteral("insert into %1 (%2) values (%3)")
                  .arg(m_table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    } else {
        if (m_changes.empty()) {
            m_editRow = -1;
            return 0;
        }
        QStringList sets, conditions;
        for (const auto& [col, v] : m_changes) {
            sets << m_columns[col] + QStringLiteral(" = ?");
            params.push_back(v);
        }
        for (const QString& key : m_keys) {
            const QVariant old = value(m_editRow, checkedColumn(key));
            if (old.isNull()) {
                conditions << key + QStringLiteral(" is null");
            } else {
                conditions << key + QStringLiteral(" = ?");
                params.push_back(old);
            }
        }
        if (conditions.isEmpty())
            throw UsageError("the recordset has no key columns");
        sql = QStringLiteral("update %1 set %2 where %3")
                  .arg(m_table, sets.join(QStringLiteral(", ")),
                       conditions.join(QStringLiteral(" and ")));
    }
    const long long affected = m_connection->execute(sql, params);
    for (const auto& [col, v] : m_changes)
        setCell(m_editRow, col, v);
    // The database made the code only when the row came without one of its own.
    const int autoColumn = m_autoIncrement.isEmpty() ? -1 : columnIndex(m_autoIncrement);
    if (m_adding && autoColumn >= 0) {
        const QVariant given = value(m_editRow, autoColumn);
        if (given.isNull() || given.toLongLong() == 0)
            setCell(m_editRow, autoColumn, m_connection->lastInsertId());
    }
    m_changes.clear();
    m_editRow = -1;
    m_adding = false;
    return affected;
}

void Recordset::cancelUpdate() {
    if (m_adding && m_editRow >= 0) {
        m_rows.erase(m_rows.begin() + (m_editRow - fetchedCount()));
        if (m_pos >= recordCount())
            m_pos = recordCount() - 1;
    }
    m_changes.clear();
    m_editRow = -1;
    m_adding = false;
}

} // namespace vtx
