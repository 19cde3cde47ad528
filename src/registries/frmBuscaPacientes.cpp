// The patient search dialog.
#include "frmBuscaPacientes.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaPacientes::frmBuscaPacientes(QWidget* parent) : SearchDialog(patientSearch(), parent) {}

frmBuscaPacientes::~frmBuscaPacientes() = default;

void frmBuscaPacientes::run() {
    runModal<frmBuscaPacientes>();
}

} // namespace vtx
