// The freight apportionment: its check and its statements, every value bound.
#include "FreightApportionment.h"

#include <algorithm>
#include <numeric>

#include "ColumnLimits.h"
#include "DbError.h"
#include "PurchaseStatements.h"
#include "PurchaseTotals.h"
#include "PurchaseWrites.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::FreightApportionment {

using PurchaseStatements::kFreight;
using PurchaseStatements::kOpenLines;

namespace {

/// One line of a spread: its quantity and unit value, and the freight per unit it takes.
struct Share {
    Decimal qtde;
    Decimal unitValue;
    Decimal freight;
};

Decimal distance(const Decimal& a, const Decimal& b) {
    return a > b ? a - b : b - a;
}

/// The freight total that the shares' freights per unit store.
Decimal storedTotal(const std::vector<Share>& shares) {
    Decimal total;
    for (const Share& s : shares)
        total = total + s.qtde * s.freight;
    return total;
}

/// Carries the remainder the rounding to 4 decimals leaves across the lines: the lines of most
/// units first, each freight per unit moves by at most one 0,0001 step, to the one that brings
/// the total stored so far nearest to the same lines' share of the amount in cents. A line
/// worth nothing takes no freight, and no freight goes below zero.
void carryRemainder(std::vector<Share>& shares, const Decimal& amount) {
    const Decimal target = amount.rescaled(2);
    Decimal goods;
    for (const Share& s : shares)
        goods = goods + s.qtde * s.unitValue;
    std::vector<size_t> order(shares.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return shares[a].qtde > shares[b].qtde; });
    const Decimal step(1, 4);
    Decimal valueSoFar, storedSoFar;
    for (const size_t i : order) {
        Share& s = shares[i];
        valueSoFar = valueSoFar + s.qtde * s.unitValue;
        const Decimal share = target.timesDividedBy(valueSoFar, goods, 8);
        auto gap = [&](const Decimal& freight) {
            return distance(storedSoFar + s.qtde * freight, share);
        };
        Decimal best = s.freight;
        if (s.unitValue > Decimal() && s.qtde > Decimal())
            for (const Decimal& moved : {s.freight - step, s.freight + step})
                if (!moved.isNegative() && gap(moved) < gap(best))
                    best = moved;
        s.freight = best;
        storedSoFar = storedSoFar + s.qtde * best;
    }
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
        std::vector<Share> shares;
        for (int row = 0; row < lines.recordCount(); ++row) {
            const Decimal unitValue = lineAmount(lines, row, vfinal);
            shares.push_back(
                {lineAmount(lines, row, qtde), unitValue, unitFreight(unitValue, amount, goods)});
        }
        // The freight per unit as the formula gives it, unless its total shows another amount.
        if (storedTotal(shares).rescaled(2) != amount.rescaled(2))
            carryRemainder(shares, amount);
        // What the purchase totals once the freight is written: each line's freight and final
        // value are parts of these sums.
        PurchaseTotals totals;
        for (const Share& s : shares) {
            if (!Columns::insumos_cmp::vfrete.holds(s.freight))
                return {Outcome::OutOfRange, {}, {}};
            totals.add(s.qtde, s.unitValue, s.freight);
            out.freights.push_back(s.freight);
        }
        static_cast<void>(totals.final());
        out.stored = totals.freight;
        if (out.stored.rescaled(2) != amount.rescaled(2))
            out.outcome = Outcome::Uneven;
    } catch (const UsageError&) {
        return {Outcome::OutOfRange, {}, {}};
    }
    return out;
}

Spread apportion(Connection& connection, const Params& purchase, const Decimal& amount) {
    const NamedLock lock = PurchaseWrites::turn(connection, purchase);
    Transaction transaction(connection);
    const Recordset lines = connection.query(kOpenLines, purchase);
    const Spread freights = spread(lines, amount);
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
