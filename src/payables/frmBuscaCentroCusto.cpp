// The cost centres search dialog.
#include "frmBuscaCentroCusto.h"

#include "CostCentres.h"

namespace vtx {

frmBuscaCentroCusto::frmBuscaCentroCusto(QWidget* parent)
    : SearchDialog(CostCentres::search(CostCentres::Kind::Centre), parent) {}

frmBuscaCentroCusto::~frmBuscaCentroCusto() = default;

void frmBuscaCentroCusto::run() {
    runModal<frmBuscaCentroCusto>();
}

} // namespace vtx
