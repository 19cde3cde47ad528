// Registration of the supplies (table produtos).
#pragma once

#include "RegistryForm.h"

namespace vtx {

class Decimal;

/// "Cadastro de Isnumos": a supply under a code typed by the user, with its unit, group, cost,
/// minimum quantity, last purchase date, notes and lot control.
class frmCadProduto : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadProduto(QWidget* parent = nullptr);
    ~frmCadProduto() override;

    /// Empties every box but the code: the form then takes a new supply under that code.
    void LimpaCampos() override;

protected:
    void codeBoxLeft() override;
    void save() override;
    void clear() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void layOut();
    void fillSupply(const Recordset& row);
    void txtFator_LostFocus();
    void txtCdGrupo_Change();
    void searchGroup();
    void searchByName();
    /// Writes the boxes to the installation's row of the code, adding it when there is none.
    void writeSupply(const Decimal& cost, const Decimal& minimum);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
