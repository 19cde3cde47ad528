// The freight apportionment's statements, every value bound.
#include "FreightApportionment.h"

#include "DbError.h"
#include "PurchaseStatements.h"
#include "PurchaseTotals.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::FreightApportionment {

using PurchaseStatements::kFreight;
using PurchaseStatements::kOpenLines;

Outcome apportion(Connection& connection, const Params& purchase, const Decimal& amount) {
    Transaction transaction(connection);
    const Recordset lines = connection.query(kOpenLines, purchase);
    if (lines.isEmpty())
        return Outcome::NoOpenLines;
    const Decimal goods = PurchaseTotals::of(lines).goodsInCents();
    if (goods.isZero())
        return Outcome::ZeroGoods;
    const int vfinal = lines.columnIndex(QStringLiteral("vfinal"));
    const int idlan = lines.columnIndex(QStringLiteral("idlan"));
    std::vector<Params> rows;
    for (int row = 0; row < lines.recordCount(); ++row) {
        const QVariant value = lines.value(row, vfinal);
        const Decimal unitValue = value.isNull() ? Decimal() : value.value<Decimal>();
        Decimal freight;
        try {
            freight = unitFreight(unitValue, amount, goods);
        } catch (const UsageError&) {
            return Outcome::OutOfRange; // rolled back with the transaction
        }
        rows.push_back({QVariant::fromValue(freight), gIdLic, lines.value(row, idlan)});
    }
    connection.executeBatch(kFreight, rows);
    transaction.commit();
    return Outcome::Written;
}

} // namespace vtx::FreightApportionment
