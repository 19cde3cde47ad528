// The columns a list grid shows of its data control's rows: which, in what order, under
// what heading and in what text form.
#pragma once

#include <functional>

#include <QAbstractTableModel>
#include <QList>

namespace vtx {

class DataControl;

/// One column of a list: its heading, the row's column it shows and, optionally, its text form.
struct GridColumn {
    QString header;
    QString column;
    std::function<QString(const QVariant& value)> format = {};
};

/// A read-only model showing chosen columns of a data control's rows; follows its refreshes.
class GridModel : public QAbstractTableModel {
public:
    GridModel(DataControl* source, QList<GridColumn> columns, QObject* parent = nullptr);

    /// The text of a value as the grids show it: dates "dd/mm/yyyy", decimals with a comma.
    static QString defaultText(const QVariant& value);

    /// Reads the rows again (after the data control was closed, for instance).
    void reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    DataControl* m_source;
    QList<GridColumn> m_columns;
};

} // namespace vtx
