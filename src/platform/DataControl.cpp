// Data control and grid model.
#include "DataControl.h"

#include <QDate>
#include <QDateTime>

#include "Decimal.h"

namespace vtx {

DataControl::DataControl(QObject* parent)
    : QObject(parent), m_model(new RecordsetModel(&m_rows, this)) {}

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
    Recordset rows = connection().query(m_sql, m_params);
    if (!m_table.isEmpty())
        rows.setUpdateTarget(&m_connection, m_table, m_keys, m_autoIncrement);
    m_rows = std::move(rows);
    m_open = true;
    m_model->reset();
    emit refreshed();
}

void DataControl::close() {
    m_rows = Recordset();
    m_model->reset();
    m_connection.close();
    m_open = false;
}

RecordsetModel::RecordsetModel(Recordset* rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows) {}

void RecordsetModel::reset() {
    beginResetModel();
    endResetModel();
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows->recordCount();
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows->columns().size());
}

QString RecordsetModel::defaultText(const QVariant& value) {
    if (value.isNull())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm"));
    default:
        break;
    }
    if (value.metaType().id() == qMetaTypeId<Decimal>())
        return value.value<Decimal>().toString().replace(QLatin1Char('.'), QLatin1Char(','));
    return value.toString();
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows->recordCount())
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const QVariant v = m_rows->value(index.row(), index.column());
    return m_formatter ? m_formatter(index.column(), v) : defaultText(v);
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < m_headers.size())
        return m_headers[section];
    if (section < m_rows->columns().size())
        return m_rows->columns()[section];
    return QVariant();
}

} // namespace vtx
