// The procedures of a contract: each line's procedure, complement, quantity and unit value,
// added, changed and removed, and their total.
#pragma once

#include "ListForm.h"

namespace vtx {

/// "Contrato - Procedimentos", over the contract form whose contract it is given.
class frmOS_Procedimentos : public ListForm {
    Q_OBJECT
public:
    explicit frmOS_Procedimentos(const QString& contractId, QWidget* parent = nullptr);
    ~frmOS_Procedimentos() override;

    /// Shows the contract's procedures modally.
    static void run(const QString& contractId);

    /// "Total: " and the sum of quantity times value over the contract's lines.
    void TotalizaProcedimentos();

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void codeChanged();
    void codeLeft();
    void save();
    void rowClicked(int row);
    void editRow();
    void deleteRow();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
