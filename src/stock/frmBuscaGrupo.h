// Search of the supply groups.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Pesquisa Grupo de Estoque": picks a supply group by its description.
class frmBuscaGrupo : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaGrupo(QWidget* parent = nullptr);
    ~frmBuscaGrupo() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca (cdgrupo) and gNomeBusca.
    static void run();
};

} // namespace vtx
