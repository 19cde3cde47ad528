// The supplier and supply picks and look-ups that the purchase entry and the purchase history
// share.
#pragma once

#include <optional>

#include <QString>

namespace vtx::PurchaseLookups {

/// Shows the supplier search (gCodBusca emptied first); the chosen supplier's code, if any.
std::optional<qlonglong> pickSupplier();
/// Shows the supply search (gCodBusca emptied first); the chosen code trimmed, "" for none.
QString pickSupply();
/// The name of a supplier of the installation, "" when it has none; throws DbError.
QString supplierName(qlonglong code);

} // namespace vtx::PurchaseLookups
