// A grid bound to a data control of its own, as the forms' lists and second lists are.
#pragma once

#include <functional>

#include <QObject>

#include "Connection.h"
#include "GridModel.h"

class QTableView;
class QWidget;

namespace vtx {

class DataControl;

/// The grid (a QTableView named as the form names it) over a data control whose current row
/// follows the grid's; after each reading the first row is current.
class BoundGrid : public QObject {
public:
    BoundGrid(QWidget* form, const QString& gridName, const QString& controlName,
              QList<GridColumn> columns);

    DataControl& rows() const { return *m_rows; }
    QTableView* view() const { return m_view; }

    /// Points the data control at gStrConexao and the statement, then reads it; throws DbError.
    void open(const QString& sql, const Params& params);
    /// Reads the current statement again; throws DbError.
    void refresh();
    /// Closes the rows and the control's connection; the grid shows nothing.
    void close();

    /// The current row, or -1 when there is none.
    int currentRow() const;
    void setCurrentRow(int row);
    /// Gives each column of a grid its per cent of the width the rows show in (the columns
    /// are then sized by hand, not by their contents); a column whose heading would be cut,
    /// or one of the columns named whole whose values would be, takes the room it lacks from
    /// the widest columns.
    static void setColumnShares(QTableView* grid, const QList<int>& shares,
                                const QList<int>& whole = {});
    /// The widths after each column narrower than its need has taken the room it lacks from
    /// the widest other columns wider than their own needs; the widths keep their sum.
    static QList<int> fitToNeeds(QList<int> widths, const QList<int>& needs);
    /// The same for this grid.
    void fitColumns(const QList<int>& shares) { setColumnShares(m_view, shares, m_whole); }
    /// Fits the columns to their shares whenever the form is shown or becomes active, and
    /// whenever the grid is resized; columns named whole show their values whole, fitted
    /// again whenever the rows are read.
    void keepColumnShares(const QList<int>& shares, const QList<int>& whole = {});
    /// Keeps a column sized by its values no wider than the first column, which stretches over
    /// the room the others leave: where the two do not both fit, they share that room alike
    /// (the column's heading still whole). Fitted when keepColumnShares fits, and whenever the
    /// rows are read.
    void keepNoWiderThanFirst(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Runs fit whenever the form is shown or becomes active and whenever the grid is resized,
    /// and also whenever the rows are read when asked.
    void keepFitted(std::function<void()> fit, bool onEveryRead);
    void fitBesideFirst(int column);
    /// The width a column sized by its values takes: its widest value or its heading.
    int contentsWidth(int column) const;

    DataControl* m_rows;
    GridModel* m_model;
    QTableView* m_view;
    QList<int> m_shares;
    QList<int> m_whole;
    std::function<void()> m_fit;
    bool m_fitsOnRead = false;
};

} // namespace vtx
