// Registration of the treatment contracts' forms.
#include "Contracts.h"

#include "Forms.h"
#include "frmOS_EntregaInsumos.h"

namespace vtx {

void registerContractForms() {
    Forms::registerForm(QStringLiteral("frmOS_EntregaInsumos"),
                        [] { return new frmOS_EntregaInsumos; });
}

} // namespace vtx
