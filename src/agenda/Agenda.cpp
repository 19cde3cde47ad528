// Registration of the appointment book's forms.
#include "Agenda.h"

#include "Forms.h"
#include "frmCli_Agenda.h"

namespace vtx {

void registerAgendaForms() {
    Forms::registerForm(QStringLiteral("frmCli_Agenda"), [] { return new frmCli_Agenda; });
}

} // namespace vtx
