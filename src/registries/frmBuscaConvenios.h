// Search of the health-insurance plans.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Convênios - Pesquisa": picks a plan by name.
class frmBuscaConvenios : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaConvenios(QWidget* parent = nullptr);
    ~frmBuscaConvenios() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
