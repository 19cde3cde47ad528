// Search of the patients.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Pacientes - Pesquisa": picks a patient by name or phone.
class frmBuscaPacientes : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaPacientes(QWidget* parent = nullptr);
    ~frmBuscaPacientes() override;

    /// Shows the dialog modally; a choice comes back in gCodBusca and gNomeBusca.
    static void run();
};

} // namespace vtx
