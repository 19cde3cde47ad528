// Search of the medical fields.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Especialidades - Pesquisa": picks a medical field by name.
class frmBuscaEspecialidades : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaEspecialidades(QWidget* parent = nullptr);
    ~frmBuscaEspecialidades() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
