// The supplier search dialog.
#include "frmBuscaFornecedor.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaFornecedor::frmBuscaFornecedor(QWidget* parent) : SearchDialog(supplierSearch(), parent) {}

frmBuscaFornecedor::~frmBuscaFornecedor() = default;

void frmBuscaFornecedor::run() {
    runModal<frmBuscaFornecedor>();
}

} // namespace vtx
