// Registration of the accounts payable' forms.
#include "Payables.h"

#include "Forms.h"
#include "frmCPagar_Baixa.h"
#include "frmCadCentroCusto.h"
#include "frmCadSubCentro.h"
#include "frmRel_Contas.h"
#include "frmlancontas.h"

namespace vtx {

void registerPayablesForms() {
    Forms::registerForm(QStringLiteral("frmCadCentroCusto"), [] { return new frmCadCentroCusto; });
    Forms::registerForm(QStringLiteral("frmCadSubCentro"), [] { return new frmCadSubCentro; });
    Forms::registerForm(QStringLiteral("frmlancontas"), [] { return new frmlancontas; });
    Forms::registerForm(QStringLiteral("frmCPagar_Baixa"), [] { return new frmCPagar_Baixa; });
    Forms::registerForm(QStringLiteral("frmRel_Contas"), [] { return new frmRel_Contas; });
}

} // namespace vtx
