// The base of the forms built around a list: a grid bound to a data control of its own, the
// form's key preview, the hourglass and the report of database failures.
#pragma once

#include <functional>
#include <memory>

#include <QDialog>

#include "GridModel.h"
#include "WaitCursor.h"

class QPushButton;
class QTableView;

namespace vtx {

class BoundGrid;
class DataControl;
class DbError;

/// A modal form with the list DataGrid1 over the data control Adodc1 (its own connection,
/// opened from gStrConexao); Enter moves on, letters arrive in upper case, Esc runs escape().
class ListForm : public QDialog {
    Q_OBJECT
public:
    ~ListForm() override;

    DataControl& Adodc1();
    QTableView* DataGrid1() const;

    /// Shows "--- ERRO --- " and the driver's text under "ATENÇÃO".
    static void reportDbError(const DbError& error);
    /// Runs database work; a failure gives the arrow back, is reported and gives false.
    static bool tryDb(const std::function<void()>& work, WaitCursor* wait = nullptr);
    /// Gives each column of the grid its per cent of the grid's width (the columns are then
    /// sized by hand, not by their contents).
    static void setColumnShares(QTableView* grid, const QList<int>& shares);

protected:
    ListForm(QList<GridColumn> columns, QWidget* parent,
             const QString& gridName = QStringLiteral("DataGrid1"));

    /// The list: its grid and data control.
    BoundGrid& list() const;

    /// A button of the form that Enter never presses as the dialog's default.
    QPushButton* makeButton(const QString& name, const QString& caption);
    /// Installs the key preview (letters in upper case, Enter as Tab, when asked); called once
    /// the form's controls exist.
    void installKeys(bool upperCase = true, bool enterAsTab = true);
    /// Sets the list's statement and reads it; a failure is reported and gives false.
    bool openList(const QString& sql, const QList<QVariant>& params, WaitCursor* wait = nullptr);
    /// Reads the list's current statement again (its first row becomes current); throws DbError.
    void refreshList();
    /// Reads the list when it never opened (or was closed), so its rows have their columns
    /// before a row is written through them; throws DbError.
    void openedList();
    /// Closes the list's rows and its connection; harmless when the list never opened.
    void closeList();

    /// The list's current row, or -1 when there is none.
    int currentRow() const;
    void setCurrentRow(int row);

    /// Esc: what closes the form.
    virtual void escape() = 0;
    /// A key before its control sees it (F-keys); true when the form handled it.
    virtual bool functionKey(int key);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
