// The statements of the purchase entry over insumos_cmp, each value bound.
#pragma once

#include <QString>

#include "Connection.h"

namespace vtx::PurchaseStatements {

/// The lines of one purchase with their supply's description and unit (bound: installation,
/// supplier, series, number, model; see purchase()).
extern const QString kLines;
/// A supply of the installation by its code, compared as text (installation, code).
extern const QString kSupply;
/// The open purchases, each once (installation, status "N").
extern const QString kPending;
/// One line, with and without the expiry date (installation, key, supplier, series, number,
/// model, issue, arrival, supply, value, freight, quantity, status, stamp, lot[, expiry]).
extern const QString kInsert;
extern const QString kInsertWithExpiry;
/// Reverses one line of an open purchase (installation, line key).
extern const QString kDelete;
/// The open lines of a purchase, locked (see purchase()).
extern const QString kOpenLines;
/// The freight per unit of one line of an open purchase (freight, installation, line key).
extern const QString kFreight;
/// Closes a purchase (status "S", then the purchase's values).
extern const QString kClose;

/// The values naming one purchase: the installation, the supplier, the series and the number
/// (compared as numbers) and the model (compared as text).
Params purchase(qlonglong supplier, qlonglong series, qlonglong number, const QString& model);

/// True when the text is 1 to maxLength ASCII digits and nothing else.
bool isDigits(const QString& text, int maxLength);

} // namespace vtx::PurchaseStatements
