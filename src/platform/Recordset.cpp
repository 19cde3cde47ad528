// The in-memory cursor and its write-back through bound statements.
#include "Recordset.h"

#include "Connection.h"
#include "DbError.h"

namespace vtx {

Recordset::Recordset(QStringList columns, std::vector<std::vector<QVariant>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

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
    return m_rows[m_pos][c];
}

QVariant Recordset::value(int row, int column) const {
    return m_rows.at(row).at(column);
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
    auto& row = m_rows[m_editRow];
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
            const QVariant& old = row[checkedColumn(key)];
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
        row[col] = v;
    // The database made the code only when the row came without one of its own.
    const int autoColumn = m_autoIncrement.isEmpty() ? -1 : columnIndex(m_autoIncrement);
    if (m_adding && autoColumn >= 0 &&
        (row[autoColumn].isNull() || row[autoColumn].toLongLong() == 0))
        row[autoColumn] = m_connection->lastInsertId();
    m_changes.clear();
    m_editRow = -1;
    m_adding = false;
    return affected;
}

void Recordset::cancelUpdate() {
    if (m_adding && m_editRow >= 0) {
        m_rows.erase(m_rows.begin() + m_editRow);
        if (m_pos >= recordCount())
            m_pos = recordCount() - 1;
    }
    m_changes.clear();
    m_editRow = -1;
    m_adding = false;
}

} // namespace vtx
