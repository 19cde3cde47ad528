// Search of the cost centres.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Centro de Custos - Pesquisa": picks one by name; F12 registers a new one when the user's rights
/// allow.
class frmBuscaCentroCusto : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaCentroCusto(QWidget* parent = nullptr);
    ~frmBuscaCentroCusto() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
