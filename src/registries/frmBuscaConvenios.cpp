// The plan search dialog.
#include "frmBuscaConvenios.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaConvenios::frmBuscaConvenios(QWidget* parent) : SearchDialog(planSearch(), parent) {}

frmBuscaConvenios::~frmBuscaConvenios() = default;

void frmBuscaConvenios::run() {
    runModal<frmBuscaConvenios>();
}

} // namespace vtx
