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

    /// The sums over every row of the lines (a NULL value counts as 0); UsageError when one
    /// leaves the exact decimals.
    static PurchaseTotals of(const Recordset& lines);
    /// The goods total alone, rounded to cents as the freight apportionment divides by: a
    /// freight past the range leaves it, so that a new apportionment can replace that freight.
    /// UsageError when it leaves the exact decimals.
    static Decimal goodsInCentsOf(const Recordset& lines);
    /// Whether the sums of the lines and their final total stay within the exact decimals,
    /// with one more line of qtde units at vfinal (no freight yet) when given.
    static bool fit(const Recordset& lines, const Decimal& qtde = {}, const Decimal& vfinal = {});

    /// Adds one line of qtde units at vfinal with vfrete of freight per unit.
    void add(const Decimal& qtde, const Decimal& vfinal, const Decimal& vfrete);
    /// Goods and freight together, the "Tl Final".
    Decimal final() const { return goods + freight; }
    /// "Qtde TL: 3 Tl Frete: R$ 0,00 Tl Insumos: R$ 30,00 Tl Final: R$ 30,00".
    QString caption() const;
};

/// An amount of a purchase line: a NULL value, or a column the rows lack (-1), counts as 0.
Decimal lineAmount(const Recordset& lines, int row, int column);

/// The freight per unit of a line worth `unitValue` when `amount` is spread over goods worth
/// `goodsTotal` in proportion to value: unitValue x amount / goodsTotal, to 4 decimals.
/// The goods total must not be zero.
Decimal unitFreight(const Decimal& unitValue, const Decimal& amount, const Decimal& goodsTotal);

} // namespace vtx
