// Registration of the printing library's forms.
#include "PrintForms.h"

#include "Forms.h"
#include "frmgerapdfp.h"

namespace vtx {

void registerPrintForms() {
    Forms::registerForm(QStringLiteral("frmgerapdfp"), [] { return new frmgerapdfp; });
}

} // namespace vtx
