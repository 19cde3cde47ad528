// Registration of the clinic registries' forms.
#include "Registries.h"

#include "Forms.h"
#include "frmCadConvenios.h"
#include "frmCadEspecialidade.h"
#include "frmCadFeriados.h"
#include "frmCadFor.h"
#include "frmCadHorarios.h"
#include "frmCadProcedimentos.h"
#include "frmCadProfissionais.h"
#include "frmcadcli.h"

namespace vtx {

void registerRegistryForms() {
    Forms::registerForm(QStringLiteral("frmCadConvenios"), [] { return new frmCadConvenios; });
    Forms::registerForm(QStringLiteral("frmCadEspecialidade"),
                        [] { return new frmCadEspecialidade; });
    Forms::registerForm(QStringLiteral("frmCadProcedimentos"),
                        [] { return new frmCadProcedimentos; });
    Forms::registerForm(QStringLiteral("frmcadcli"), [] { return new frmcadcli; });
    Forms::registerForm(QStringLiteral("frmCadProfissionais"),
                        [] { return new frmCadProfissionais; });
    Forms::registerForm(QStringLiteral("frmCadHorarios"), [] { return new frmCadHorarios; });
    Forms::registerForm(QStringLiteral("frmCadFeriados"), [] { return new frmCadFeriados; });
    Forms::registerForm(QStringLiteral("frmCadFor"), [] { return new frmCadFor; });
}

} // namespace vtx
