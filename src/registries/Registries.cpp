// Registration of the clinic registries' forms.
#include "Registries.h"

#include "Forms.h"
#include "frmCadConvenios.h"
#include "frmCadEspecialidade.h"
#include "frmCadProcedimentos.h"

namespace vtx {

void registerRegistryForms() {
    Forms::registerForm(QStringLiteral("frmCadConvenios"), [] { return new frmCadConvenios; });
    Forms::registerForm(QStringLiteral("frmCadEspecialidade"),
                        [] { return new frmCadEspecialidade; });
    Forms::registerForm(QStringLiteral("frmCadProcedimentos"),
                        [] { return new frmCadProcedimentos; });
}

} // namespace vtx
