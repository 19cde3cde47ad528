// Search of the supplies, used by the purchases, the purchase history, the prescriptions and
// the attendance record.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// "Insumos - Pesquisa": picks a supply; F10 hands back only its code (gCodBusca, text as
/// stored) and leaves gNomeBusca as the caller left it; Esc empties both.
class frmBuscaProd : public SearchDialog {
    Q_OBJECT
public:
    explicit frmBuscaProd(QWidget* parent = nullptr);
    ~frmBuscaProd() override;

    /// Shows the dialog modally; gCodBusca is "" (nothing chosen) or a supply code.
    static void run();
};

} // namespace vtx
