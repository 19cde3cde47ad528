// The data control of a grid.
#include "DataControl.h"

#include "DbError.h"

namespace vtx {

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setConnectionString(const QString& connectionString) {
    m_connectionString = connectionString;
}

void DataControl::setRecordSource(const QString& sql, const Params& params) {
    m_sql = sql;
    m_params = params;
}

void DataControl::setUpdateTarget(const QString& table, const QStringList& keyColumns,
                                  const QString& autoIncrementColumn) {
    m_table = table;
    m_keys = keyColumns;
    m_autoIncrement = autoIncrementColumn;
}

Connection& DataControl::connection() {
    if (!m_connection.isOpen())
        m_connection.open(m_connectionString);
    return m_connection;
}

void DataControl::refresh() {
    Recordset rows;
    try {
        rows = connection().query(m_sql, m_params);
    } catch (const DbError& e) {
        // A link lost meanwhile (a server restart) was let go: a reading writes nothing, so
        // it runs once more on a connection opened again; a server that did not answer in
        // time is not waited on twice.
        if (!e.linkLost() || e.timedOut())
            throw;
        rows = connection().query(m_sql, m_params);
    }
    if (!m_table.isEmpty())
        rows.setUpdateTarget(&m_connection, m_table, m_keys, m_autoIncrement);
    m_rows = std::move(rows);
    m_open = true;
    emit refreshed();
}

void DataControl::close() {
    m_rows = Recordset();
    m_connection.close();
    m_open = false;
}

} // namespace vtx
