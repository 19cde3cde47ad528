// The specialty search dialog.
#include "frmBuscaEspecialidades.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaEspecialidades::frmBuscaEspecialidades(QWidget* parent)
    : SearchDialog(specialtySearch(), parent) {}

frmBuscaEspecialidades::~frmBuscaEspecialidades() = default;

void frmBuscaEspecialidades::run() {
    runModal<frmBuscaEspecialidades>();
}

} // namespace vtx
