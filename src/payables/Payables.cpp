// Registration of the accounts payable' forms.
#include "Payables.h"

#include "Forms.h"
#include "frmCadCentroCusto.h"
#include "frmCadSubCentro.h"
#include "frmlancontas.h"

namespace vtx {

void registerPayablesForms() {
    Forms::registerForm(QStringLiteral("frmCadCentroCusto"), [] { return new frmCadCentroCusto; });
    Forms::registerForm(QStringLiteral("frmCadSubCentro"), [] { return new frmCadSubCentro; });
    Forms::registerForm(QStringLiteral("frmlancontas"), [] { return new frmlancontas; });
}

} // namespace vtx
