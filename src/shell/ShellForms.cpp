// Registration of the shell's forms.
#include "ShellForms.h"

#include "Forms.h"
#include "frmcadusuario.h"

namespace vtx {

void registerShellForms() {
    Forms::registerForm(QStringLiteral("frmcadusuario"), [] { return new frmcadusuario; });
}

} // namespace vtx
