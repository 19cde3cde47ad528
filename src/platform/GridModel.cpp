// Grid columns over a data control's rows.
#include "GridModel.h"

#include <QDate>
#include <QDateTime>

#include "DataControl.h"
#include "Decimal.h"

namespace vtx {

GridModel::GridModel(DataControl* source, QList<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns)) {
    connect(source, &DataControl::refreshed, this, &GridModel::reload);
}

QString GridModel::defaultText(const QVariant& value) {
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

void GridModel::reload() {
    beginResetModel();
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_source->recordset().recordCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    const Recordset& rows = m_source->recordset();
    const GridColumn& column = m_columns.at(index.column());
    const int c = rows.columnIndex(column.column);
    if (c < 0 || index.row() >= rows.recordCount())
        return QVariant();
    const QVariant value = rows.value(index.row(), c);
    return column.format ? column.format(value) : defaultText(value);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= m_columns.size())
        return QVariant();
    return m_columns.at(section).header;
}

} // namespace vtx
