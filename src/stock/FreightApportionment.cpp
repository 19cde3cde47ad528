// The freight apportionment: its check and its statements, every value bound.
#include "FreightApportionment.h"

#include "ColumnLimits.h"
#include "DbError.h"
#include "PurchaseStatements.h"
#include "PurchaseTotals.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::FreightApportionment {

using PurchaseStatements::kFreight;
using PurchaseStatements::kOpenLines;

Spread spread(const Recordset& lines, const Decimal& amount) {
    if (lines.isEmpty())
        return {Outcome::NoOpenLines, {}};
    const int qtde = lines.columnIndex(QStringLiteral("qtde"));
    const int vfinal = lines.columnIndex(QStringLiteral("vfinal"));
    Decimal goods;
    try {
        goods = PurchaseTotals::goodsInCentsOf(lines);
    } catch (const UsageError&) {
        return {Outcome::TotalsOutOfRange, {}};
    }
    if (goods.isZero())
        return {Outcome::ZeroGoods, {}};
    Spread out;
    try {
        // What the purchase totals once the freight is written: each line's freight and final
        // value are parts of these sums.
        PurchaseTotals totals;
        for (int row = 0; row < lines.recordCount(); ++row) {
            const Decimal unitValue = lineAmount(lines, row, vfinal);
            const Decimal freight = unitFreight(unitValue, amount, goods);
            if (!Columns::insumos_cmp::vfrete.holds(freight))
                return {Outcome::OutOfRange, {}};
            totals.add(lineAmount(lines, row, qtde), unitValue, freight);
            out.freights.push_back(freight);
        }
        static_cast<void>(totals.final());
    } catch (const UsageError&) {
        return {Outcome::OutOfRange, {}};
    }
    return out;
}

Outcome apportion(Connection& connection, const Params& purchase, const Decimal& amount) {
    Transaction transaction(connection);
    const Recordset lines = connection.query(kOpenLines, purchase);
    const Spread freights = spread(lines, amount);
    if (freights.outcome != Outcome::Written)
        return freights.outcome; // rolled back with the transaction
    const int idlan = lines.columnIndex(QStringLiteral("idlan"));
    std::vector<Params> rows;
    for (int row = 0; row < lines.recordCount(); ++row)
        rows.push_back(
            {QVariant::fromValue(freights.freights[row]), gIdLic, lines.value(row, idlan)});
    connection.executeBatch(kFreight, rows);
    transaction.commit();
    return Outcome::Written;
}

} // namespace vtx::FreightApportionment
