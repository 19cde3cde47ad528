// The freight of a purchase spread over its open lines in proportion to their value.
#pragma once

#include "Connection.h"
#include "Decimal.h"

namespace vtx::FreightApportionment {

enum class Outcome {
    Written,
    NoOpenLines, ///< the purchase was closed, or its lines reversed, meanwhile: nothing written
    ZeroGoods,   ///< the open lines are worth nothing: nothing written
    OutOfRange,  ///< a line's freight per unit leaves the exact decimals: nothing written
};

/// In one transaction: reads the open lines of the purchase (installation, supplier, series,
/// number, model) for update, so that no line is added, reversed or closed meanwhile, and
/// gives each one freight per unit = vfinal x amount / goods, goods being the sum of
/// qtde x vfinal over those lines rounded to cents. Throws DbError, rolled back.
Outcome apportion(Connection& connection, const Params& purchase, const Decimal& amount);

} // namespace vtx::FreightApportionment
