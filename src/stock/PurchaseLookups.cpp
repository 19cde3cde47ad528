// The supply pick and the supplier name.
#include "PurchaseLookups.h"

#include "Recordset.h"
#include "Session.h"
#include "frmBuscaProd.h"

namespace vtx::PurchaseLookups {

QString pickSupply() {
    gCodBusca = QString();
    frmBuscaProd::run();
    return gCodBusca.toString().trimmed();
}

QString supplierName(qlonglong code) {
    const Recordset row = conexaoAberta().query(
        QStringLiteral("select nmfor from fornecedores where  idlic = ? and cdfor = ?"),
        {gIdLic, code});
    return row.isEmpty() ? QString() : row.text(QStringLiteral("nmfor"));
}

} // namespace vtx::PurchaseLookups
