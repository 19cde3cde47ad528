// Search of the suppliers.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Pesquisa de Fornecedores": picks a supplier by name, trade name, CPF/CNPJ or phone.
class frmBuscaFornecedor : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaFornecedor(QWidget* parent = nullptr);
    ~frmBuscaFornecedor() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
