// Rows read from a select, held in memory: a cursor over them, reads by column name, and
// (when given a table) adding and changing rows written back as bound INSERT and UPDATE.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QVariant>

namespace vtx {

class Connection;
class FetchedRows;

/// The rows of one select and a current row, like a client-side cursor.
class Recordset {
public:
    Recordset() = default;
    Recordset(QStringList columns, std::vector<std::vector<QVariant>> rows);
    /// The rows as a select read them (the data access layer makes these).
    Recordset(QStringList columns, std::shared_ptr<const FetchedRows> rows);

    const QStringList& columns() const { return m_columns; }
    int columnIndex(const QString& name) const; // -1 when absent (case-insensitive)
    int recordCount() const { return fetchedCount() + static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return recordCount() == 0; }

    bool eof() const { return m_pos >= recordCount() || isEmpty(); }
    bool bof() const { return m_pos < 0 || isEmpty(); }
    void moveFirst() { m_pos = 0; }
    void moveLast() { m_pos = recordCount() - 1; }
    void moveNext() { ++m_pos; }
    void movePrevious() { --m_pos; }
    int position() const { return m_pos; }
    void setPosition(int row) { m_pos = row; }

    /// Value of a column in the current row; throws UsageError without a current row.
    QVariant value(const QString& column) const;
    /// Value of a cell; throws std::out_of_range for a row or column that is not there.
    QVariant value(int row, int column) const;
    /// The value as text, NULL giving an empty text.
    QString text(const QString& column) const;
    bool isNull(const QString& column) const;

    /// Moves to the first row from the current one on that the predicate accepts; eof()
    /// when none does.
    bool find(const std::function<bool(const Recordset&)>& predicate);

    /// Makes the rows writable: changes go to the table through the connection, rows are
    /// found by the key columns, and an auto-increment column is read back after an insert.
    void setUpdateTarget(Connection* connection, const QString& table, QStringList keyColumns,
                         const QString& autoIncrementColumn = QString());
    /// Starts a new row at the end; it becomes the current row.
    void addNew();
    /// Sets a column of the current (or new) row; written by update().
    void setValue(const QString& column, const QVariant& value);
    /// Writes the current row's changes: INSERT after addNew, else UPDATE by key.
    /// Returns the rows affected; throws DbError and keeps the changes pending on failure.
    long long update();
    /// Drops pending changes (and a row added by addNew).
    void cancelUpdate();
    bool isEditing() const { return m_editRow >= 0; }

private:
    int checkedColumn(const QString& column) const;
    int fetchedCount() const;
    void setCell(int row, int column, const QVariant& value);

    QStringList m_columns;
    // Rows read by a select first, then rows given as values or added; values written over
    // read rows by update().
    std::shared_ptr<const FetchedRows> m_fetched;
    std::vector<std::vector<QVariant>> m_rows;
    std::map<std::pair<int, int>, QVariant> m_written;
    int m_pos = 0;

    Connection* m_connection = nullptr;
    QString m_table;
    QStringList m_keys;
    QString m_autoIncrement;
    int m_editRow = -1;
    bool m_adding = false;
    std::vector<std::pair<int, QVariant>> m_changes;
};

} // namespace vtx
