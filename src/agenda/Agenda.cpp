// Registration of the appointment book' forms.
#include "Agenda.h"

#include "Forms.h"

namespace vtx {

void registerAgendaForms() {}

} // namespace vtx
