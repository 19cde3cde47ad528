// The sub cost centres search dialog.
#include "frmBuscaSubCentroCusto.h"

#include "CostCentres.h"

namespace vtx {

frmBuscaSubCentroCusto::frmBuscaSubCentroCusto(QWidget* parent)
    : SearchDialog(CostCentres::search(CostCentres::Kind::SubCentre), parent) {}

frmBuscaSubCentroCusto::~frmBuscaSubCentroCusto() = default;

void frmBuscaSubCentroCusto::run() {
    runModal<frmBuscaSubCentroCusto>();
}

} // namespace vtx
