// The data control of a grid: a connection of its own, a record source and its rows.
#pragma once

#include <QObject>

#include "Connection.h"
#include "Recordset.h"

namespace vtx {

/// Holds a connection opened from a connection string, a select with its values and the rows
/// it returned; a grid shows them through a GridModel.
class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    void setConnectionString(const QString& connectionString);
    void setRecordSource(const QString& sql, const Params& params = {});
    /// The values of the record source.
    const Params& parameters() const { return m_params; }
    /// Rows are written back to this table, found by these keys (see Recordset).
    void setUpdateTarget(const QString& table, const QStringList& keyColumns,
                         const QString& autoIncrementColumn = QString());

    /// Opens the connection when needed and reads the record source again, once more on a new
    /// connection when the link was lost; throws DbError.
    void refresh();
    /// Closes the rows and the connection.
    void close();
    /// Open while its rows are read and its connection still holds (a lost link closes it).
    bool isOpen() const { return m_open && m_connection.isOpen(); }

    Recordset& recordset() { return m_rows; }
    /// The control's own connection, opened again when its link was lost; throws DbError.
    Connection& connection();

signals:
    void refreshed();

private:
    Connection m_connection;
    QString m_connectionString;
    QString m_sql;
    Params m_params;
    QString m_table;
    QStringList m_keys;
    QString m_autoIncrement;
    Recordset m_rows;
    bool m_open = false;
};

} // namespace vtx
