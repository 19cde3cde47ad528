// The base of the working-hours and holiday forms: the list DataGrid2 over the data control
// Adodc2, whose rows a double click deletes after a question, and Esc closing the list alone.
#pragma once

#include <functional>

#include "ListForm.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace vtx {

class Recordset;

/// A list form whose grid shows a caption and deletes the double-clicked row.
class DayListForm : public ListForm {
    Q_OBJECT
public:
    ~DayListForm() override;

    DataControl& Adodc2() { return Adodc1(); }
    QTableView* DataGrid2() const { return DataGrid1(); }

protected:
    /// The rows are deleted from the table; the grid is framed under its caption.
    DayListForm(QList<GridColumn> columns, const QString& table, const QString& gridCaption,
                QWidget* parent);

    /// A drop-down list in a fixed-pitch font, sized to its items.
    QComboBox* makeCombo(const QString& name);
    /// The button "SALVAR", Command1 in both forms.
    QPushButton* makeSaveButton();
    /// The grid inside its captioned frame, for the form's layout.
    QGroupBox* gridFrame() const;
    /// Makes one column take the grid's spare width, the others fit their contents.
    void stretchColumn(int column);

    /// Fills the list's current or new row and writes it; a failed write drops the changes.
    void commitRow(const std::function<void(Recordset& rows)>& fill);

    /// Esc: the list is closed and the form unloads; the shared connection stays as it was.
    void escape() override;

private:
    void rowDoubleClicked(int row);
    /// Deletes the current row: the one row whose every column holds the listed values.
    void deleteCurrentRow();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
