// The procedure search dialog.
#include "frmBuscaProcedimentos.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaProcedimentos::frmBuscaProcedimentos(QWidget* parent)
    : SearchDialog(procedureSearch(), parent) {}

frmBuscaProcedimentos::~frmBuscaProcedimentos() = default;

void frmBuscaProcedimentos::run() {
    runModal<frmBuscaProcedimentos>();
}

} // namespace vtx
