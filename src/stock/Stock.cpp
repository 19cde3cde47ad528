// Registration of the supplies stock' forms.
#include "Stock.h"

#include "Forms.h"
#include "frmCadGrupoEstoque.h"
#include "frmCadProduto.h"
#include "frmInsumos_Compra.h"

namespace vtx {

void registerStockForms() {
    Forms::registerForm(QStringLiteral("frmCadGrupoEstoque"),
                        [] { return new frmCadGrupoEstoque; });
    Forms::registerForm(QStringLiteral("frmCadProduto"), [] { return new frmCadProduto; });
    Forms::registerForm(QStringLiteral("frmInsumos_Compra"), [] { return new frmInsumos_Compra; });
}

} // namespace vtx
