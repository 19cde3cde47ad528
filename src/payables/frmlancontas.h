// The expense entry: a supplier's document, its cost centres and its schedule of monthly
// instalments, loaded again, changed while unpaid and deleted.
#pragma once

#include <memory>
#include <vector>

#include "ListForm.h"

class QLineEdit;

namespace vtx {

class InstalmentSchedule;
struct ExpenseHeader;
struct Instalment;
struct StoredExpense;

/// "Cadastro de Contas a Pagar": the document's fields above, the list of stored instalments
/// below, covered by the instalment schedule while one is laid out.
class frmlancontas : public ListForm {
    Q_OBJECT
public:
    explicit frmlancontas(QWidget* parent = nullptr);
    ~frmlancontas() override;

    InstalmentSchedule* frmVCT() const;

    /// Leaving the count: asks the first value and due date and lays out the schedule.
    void GeraParcelas();
    /// Empties the document's fields and its schedule (not the number nor the emission date).
    void LimpaCampos();
    /// Closes the list's rows.
    void FechaTabelas();

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void connectUi();
    void search(void (*run)(), QLineEdit* code);
    void loadDocument();
    void fillDocument(const StoredExpense& doc);
    void layOutSchedule();
    void listClicked();
    void save();
    void remove();
    void clear();
    bool checkDocument(ExpenseHeader& header);
    bool checkRows(const ExpenseHeader& header, std::vector<Instalment>& rows);
    void setDocumentKeyEditable(bool editable);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
