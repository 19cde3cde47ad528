// The totals of a purchase's lines and the freight spread over them, in exact decimals.
#pragma once

#include <QString>

#include "Decimal.h"

namespace vtx {

class Recordset;

/// Sums of the lines of one purchase: quantities, goods (qtde x vfinal) and freight
/// (qtde x vfrete).
struct PurchaseTotals {
    Decimal quantity;
    Decimal goods;
    Decimal freight;

    /// The sums over every row of the lines (a NULL value counts as 0).
    static PurchaseTotals of(const Recordset& lines);

    /// The goods total as the freight apportionment divides by: rounded to cents.
    Decimal goodsInCents() const { return goods.rescaled(2); }
    /// "Qtde TL: 3 Tl Frete: R$ 0,00 Tl Insumos: R$ 30,00 Tl Final: R$ 30,00".
    QString caption() const;
};

/// The freight per unit of a line worth `unitValue` when `amount` is spread over goods worth
/// `goodsTotal` in proportion to value: unitValue x amount / goodsTotal, to 4 decimals.
/// The goods total must not be zero.
Decimal unitFreight(const Decimal& unitValue, const Decimal& amount, const Decimal& goodsTotal);

} // namespace vtx
