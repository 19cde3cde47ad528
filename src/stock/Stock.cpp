// Registration of the supplies stock' forms.
#include "Stock.h"

#include "Forms.h"
#include "frmCadGrupoEstoque.h"
#include "frmCadProduto.h"
#include "frmInsumos_Compra.h"
#include "frmRel_CmpInsumos.h"

namespace vtx {

void registerStockForms() {
    Forms::registerForm(QStringLiteral("frmCadGrupoEstoque"),
                        [] { return new frmCadGrupoEstoque; });
    Forms::registerForm(QStringLiteral("frmCadProduto"), [] { return new frmCadProduto; });
    Forms::registerForm(QStringLiteral("frmInsumos_Compra"), [] { return new frmInsumos_Compra; });
    Forms::registerForm(QStringLiteral("frmRel_CmpInsumos"), [] { return new frmRel_CmpInsumos; });
}

} // namespace vtx
