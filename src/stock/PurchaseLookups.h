// The supply pick and the supplier name that the purchase entry and the purchase history share.
#pragma once

#include <QString>

namespace vtx::PurchaseLookups {

/// Shows the supply search (gCodBusca emptied first); the chosen code trimmed, "" for none.
QString pickSupply();
/// The name of a supplier of the installation, "" when it has none; throws DbError.
QString supplierName(qlonglong code);

} // namespace vtx::PurchaseLookups
