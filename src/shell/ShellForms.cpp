// Registration of the shell's forms.
#include "ShellForms.h"

#include "Forms.h"
#include "frmcadusuario.h"
#include "frmconfig.h"

namespace vtx {

void registerShellForms() {
    registerConfigForm();
    Forms::registerForm(QStringLiteral("frmcadusuario"), [] { return new frmcadusuario; });
}

} // namespace vtx
