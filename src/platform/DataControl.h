// The data control of a grid: a connection of its own, a record source and its rows.
#pragma once

#include <functional>

#include <QAbstractTableModel>
#include <QObject>

#include "Connection.h"
#include "Recordset.h"

namespace vtx {

class RecordsetModel;

/// Holds a connection opened from a connection string, a select with its values and the rows
/// it returned; a grid shows them through model().
class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    void setConnectionString(const QString& connectionString);
    void setRecordSource(const QString& sql, const Params& params = {});
    /// Rows are written back to this table, found by these keys (see Recordset).
    void setUpdateTarget(const QString& table, const QStringList& keyColumns,
                         const QString& autoIncrementColumn = QString());

    /// Opens the connection when needed and reads the record source again; throws DbError.
    void refresh();
    /// Closes the rows and the connection.
    void close();
    /// Open while its rows are read and its connection still holds (a lost link closes it).
    bool isOpen() const { return m_open && m_connection.isOpen(); }

    Recordset& recordset() { return m_rows; }
    /// The control's own connection, opened again when its link was lost; throws DbError.
    Connection& connection();
    RecordsetModel* model() const { return m_model; }

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
    RecordsetModel* m_model;
    bool m_open = false;
};

/// A read-only table model over a data control's rows, as the grids show them.
class RecordsetModel : public QAbstractTableModel {
public:
    explicit RecordsetModel(Recordset* rows, QObject* parent = nullptr);

    /// Column headers shown in place of the column names; columns not listed are shown too.
    void setHeaders(const QStringList& headers) { m_headers = headers; }
    /// How one value is shown; by default dates "dd/mm/yyyy" and decimals with a comma.
    void setFormatter(std::function<QString(int column, const QVariant& value)> formatter) {
        m_formatter = std::move(formatter);
    }
    void reset();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QString defaultText(const QVariant& value);

private:
    Recordset* m_rows;
    QStringList m_headers;
    std::function<QString(int, const QVariant&)> m_formatter;
};

} // namespace vtx
