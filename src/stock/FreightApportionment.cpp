// The freight apportionment: its check and its statements, every value bound.
#include "FreightApportionment.h"

#include "ColumnLimits.h"
#include "DbError.h"
#include "FreightSpread.h"
#include "PurchaseStatements.h"
#include "PurchaseTotals.h"
#include "PurchaseWrites.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::FreightApportionment {

using PurchaseStatements::kFreight;
using PurchaseStatements::kOpenLines;

namespace {

using FreightSpread::kStep;

/// The line's share of the amount and the steps off it that its column holds: a line worth
/// nothing takes no freight, and no freight goes below zero.
FreightSpread::Line shareOf(const Decimal& qtde, const Decimal& unitValue, const Decimal& amount,
                            const Decimal& goods) {
    const Decimal base = unitFreight(unitValue, amount, goods);
    const auto& column = Columns::insumos_cmp::vfrete;
    const bool worth = unitValue > Decimal() && qtde > Decimal();
    return {qtde, base, worth && !(base - kStep).isNegative() && column.holds(base - kStep),
            worth && column.holds(base + kStep)};
}

} // namespace

Spread spread(const Recordset& lines, const Decimal& amount) {
    if (lines.isEmpty())
        return {Outcome::NoOpenLines, {}, {}};
    const int qtde = lines.columnIndex(QStringLiteral("qtde"));
    const int vfinal = lines.columnIndex(QStringLiteral("vfinal"));
    Decimal goods;
    try {
        goods = PurchaseTotals::goodsInCentsOf(lines);
    } catch (const UsageError&) {
        return {Outcome::TotalsOutOfRange, {}, {}};
    }
    if (goods.isZero())
        return {Outcome::ZeroGoods, {}, {}};
    Spread out;
    try {
        std::vector<FreightSpread::Line> shares;
        std::vector<Decimal> unitValues;
        for (int row = 0; row < lines.recordCount(); ++row) {
            unitValues.push_back(lineAmount(lines, row, vfinal));
            shares.push_back(
                shareOf(lineAmount(lines, row, qtde), unitValues.back(), amount, goods));
            if (!Columns::insumos_cmp::vfrete.holds(shares.back().base))
                return {Outcome::OutOfRange, {}, {}};
        }
        out.freights = FreightSpread::closest(shares, amount);
        // What the purchase totals once the freight is written: each line's freight and final
        // value are parts of these sums.
        PurchaseTotals totals;
        for (size_t i = 0; i < shares.size(); ++i)
            totals.add(shares[i].qtde, unitValues[i], out.freights[i]);
        static_cast<void>(totals.final());
        out.stored = totals.freight;
    } catch (const UsageError&) {
        return {Outcome::OutOfRange, {}, {}};
    }
    return out;
}

Spread apportion(Connection& connection, const Params& purchase, const Decimal& amount,
                 const Decimal& confirmed) {
    const NamedLock lock = PurchaseWrites::turn(connection, purchase);
    Transaction transaction(connection);
    const Recordset lines = connection.query(kOpenLines, purchase);
    Spread freights = spread(lines, amount);
    if (freights.outcome == Outcome::Written &&
        freights.stored.rescaled(2) != confirmed.rescaled(2))
        freights.outcome = Outcome::Changed;
    if (freights.outcome != Outcome::Written)
        return freights; // rolled back with the transaction
    const int idlan = lines.columnIndex(QStringLiteral("idlan"));
    std::vector<Params> rows;
    for (int row = 0; row < lines.recordCount(); ++row)
        rows.push_back(
            {QVariant::fromValue(freights.freights[row]), gIdLic, lines.value(row, idlan)});
    connection.executeBatch(kFreight, rows);
    transaction.commit();
    return freights;
}

} // namespace vtx::FreightApportionment
