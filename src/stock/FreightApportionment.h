// The freight of a purchase spread over its open lines in proportion to their value.
#pragma once

#include <vector>

#include "Connection.h"
#include "Decimal.h"

namespace vtx {

class Recordset;

namespace FreightApportionment {

enum class Outcome {
    Written,
    NoOpenLines, ///< the purchase was closed, or its lines reversed, meanwhile: nothing written
    ZeroGoods,   ///< the open lines are worth nothing: nothing written
    OutOfRange,  ///< a line's freight or the purchase's totals leave their range: nothing written
    TotalsOutOfRange, ///< the open lines' goods cannot be summed: nothing written
    Uneven, ///< no freight per unit stores a total of the amount in cents: nothing written
};

/// The freight per unit of each line when an amount is spread over them.
struct Spread {
    Outcome outcome = Outcome::Written;
    /// One per line, in the lines' order, when the outcome is Written.
    std::vector<Decimal> freights;
    /// The freight total they store (qtde x freight per unit), when Written or Uneven.
    Decimal stored;
};

/// Spreads the amount over the lines (qtde and vfinal of each): each line gets freight per unit
/// = vfinal x amount / goods, to 4 decimals, goods being the sum of qtde x vfinal rounded to
/// cents. When their total does not show the amount in cents, the remainder is carried across
/// the lines, each freight per unit moving by at most one 0,0001 step; Uneven when no such
/// spread shows it. TotalsOutOfRange when the goods leave the exact decimals; OutOfRange when a
/// freight per unit passes its column, or the lines' freight or the purchase's totals with that
/// freight leave them.
Spread spread(const Recordset& lines, const Decimal& amount);

/// Under the purchase's lock, in one transaction: reads the open lines of the purchase
/// (installation, supplier, series, number, model) for update, so that no line is added,
/// reversed or closed meanwhile, spreads the amount over them and, when the spread is Written,
/// writes each line's freight per unit. Throws DbError, rolled back.
Spread apportion(Connection& connection, const Params& purchase, const Decimal& amount);

} // namespace FreightApportionment

} // namespace vtx
