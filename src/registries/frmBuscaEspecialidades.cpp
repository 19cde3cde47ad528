// The search dialog of the medical fields.
#include "frmBuscaEspecialidades.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaEspecialidades::frmBuscaEspecialidades(QWidget* parent)
    : SearchDialog(medicalFieldSearch(), parent) {}

frmBuscaEspecialidades::~frmBuscaEspecialidades() = default;

void frmBuscaEspecialidades::run() {
    runModal<frmBuscaEspecialidades>();
}

} // namespace vtx
