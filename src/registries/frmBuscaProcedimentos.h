// Search of the clinic procedures.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Procedimentos - Pesquisa": picks a clinic procedure by name.
class frmBuscaProcedimentos : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaProcedimentos(QWidget* parent = nullptr);
    ~frmBuscaProcedimentos() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
