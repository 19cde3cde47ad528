// The writes that add to a purchase's totals or close it, each checking the totals in the
// transaction that writes, under a lock per purchase that the workstations take turns at.
#pragma once

#include <functional>

#include "Connection.h"
#include "Decimal.h"
#include "NamedLock.h"

namespace vtx::PurchaseWrites {

/// The purchase's lock (installation, supplier, series, number, model; see
/// PurchaseStatements::purchase()), held around a transaction that reads the purchase's lines
/// and writes what changes its totals. Waits up to ten seconds for another workstation; then
/// throws DbError.
NamedLock turn(Connection& connection, const Params& purchase);

/// Under the purchase's lock, in one transaction: reads the purchase's lines and, when their
/// totals with one more line of qtde units at vfinal stay within range, runs write on the
/// connection and commits. False, with nothing written, when they would not. Throws DbError,
/// rolled back.
bool addLine(Connection& connection, const Params& purchase, const Decimal& qtde,
             const Decimal& vfinal, const std::function<void()>& write);

/// Under the purchase's lock, in one transaction: reads the purchase's lines and, when their
/// totals stay within range, closes every line (status "S"). False, with nothing changed, when
/// they do not. Throws DbError, rolled back.
bool close(Connection& connection, const Params& purchase);

} // namespace vtx::PurchaseWrites
