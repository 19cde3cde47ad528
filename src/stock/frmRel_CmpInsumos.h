// The purchase history report: closed purchase lines of a period, listed, totalled and printed.
#pragma once

#include "ListForm.h"

namespace vtx {

/// "Histórico de Compra de Insumos": period, supplier (F2) and supply (F3) filters, "Gerar",
/// "Imprimir" (only after a successful "Gerar"), the totals and the grid of the lines found.
class frmRel_CmpInsumos : public ListForm {
    Q_OBJECT
public:
    explicit frmRel_CmpInsumos(QWidget* parent = nullptr);
    ~frmRel_CmpInsumos() override;

    /// Runs the list query and shows its rows and totals; false when either failed.
    bool PesquisaCompras();
    /// Runs the totals query and shows the sums in l_TL; false when it failed.
    bool TotalizaCompras(WaitCursor* wait = nullptr);

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void connectHandlers();
    /// Any change of a filter: the result is dropped and "Imprimir" disabled.
    void dropResult();
    void searchSupplier();
    void searchSupply();
    void txtCdCli_LostFocus();
    void txtCdPro_LostFocus();
    void Command1_Click();
    void Command2_Click();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
