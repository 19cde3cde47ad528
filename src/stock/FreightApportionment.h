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
    Changed, ///< the lines read again store another total than the one confirmed: nothing written
};

/// The freight per unit of each line when an amount is spread over them.
struct Spread {
    Outcome outcome = Outcome::Written;
    /// One per line, in the lines' order, when the outcome is Written.
    std::vector<Decimal> freights;
    /// The freight total they store (qtde x freight per unit), when Written or Changed.
    Decimal stored;
};

/// Spreads the amount over the lines (qtde and vfinal of each): each line's freight per unit is
/// its base, vfinal x amount / goods to 4 decimals (goods being the sum of qtde x vfinal rounded
/// to cents), or one 0,0001 step off it, so that the total stored shows in cents the nearest
/// to the amount (FreightSpread::closest); a line worth nothing takes no freight.
/// TotalsOutOfRange when the goods leave the exact decimals; OutOfRange when a base passes its
/// column, or the lines' freight or the purchase's totals with that freight leave them.
Spread spread(const Recordset& lines, const Decimal& amount);

/// Under the purchase's lock, in one transaction: reads the open lines of the purchase
/// (installation, supplier, series, number, model) for update, so that no line is added,
/// reversed or closed meanwhile, spreads the amount over them and, when the spread is Written
/// and stores in cents the total confirmed, writes each line's freight per unit; Changed, with
/// nothing written, when it stores another. Throws DbError, rolled back.
Spread apportion(Connection& connection, const Params& purchase, const Decimal& amount,
                 const Decimal& confirmed);

} // namespace FreightApportionment

} // namespace vtx
