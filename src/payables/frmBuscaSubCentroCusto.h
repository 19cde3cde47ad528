// Search of the sub cost centres.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "SubCentro de Custos - Pesquisa": picks one by name; F12 registers a new one when the user's
/// rights allow.
class frmBuscaSubCentroCusto : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaSubCentroCusto(QWidget* parent = nullptr);
    ~frmBuscaSubCentroCusto() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
