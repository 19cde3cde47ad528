// Registration of the treatment contracts' forms.
#include "Contracts.h"

#include "Forms.h"
#include "frmOS_EntregaInsumos.h"
#include "frmOS_ListaOrc.h"

namespace vtx {

void registerContractForms() {
    Forms::registerForm(QStringLiteral("frmOS_ListaOrc"), [] { return new frmOS_ListaOrc; });
    Forms::registerForm(QStringLiteral("frmOS_EntregaInsumos"),
                        [] { return new frmOS_EntregaInsumos; });
}

} // namespace vtx
