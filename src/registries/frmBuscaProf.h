// Search of the home-care professionals.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Profissionais - Pesquisa": picks a professional who works in home care.
class frmBuscaProf : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaProf(QWidget* parent = nullptr);
    ~frmBuscaProf() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
