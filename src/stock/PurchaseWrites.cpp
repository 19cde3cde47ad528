// A line added to a purchase, and its close, each checked against the totals as it is written.
#include "PurchaseWrites.h"

#include "PurchaseStatements.h"
#include "PurchaseTotals.h"
#include "Recordset.h"

namespace vtx::PurchaseWrites {

NamedLock turn(Connection& connection, const Params& purchase) {
    // Supplier, series and number are bound as numbers, as the statements compare them, and
    // the model holds digits only: one purchase, one name. The name holds a digest, as the
    // server limits its length.
    return NamedLock(
        connection,
        {QStringLiteral("concat('vertalumex.compra.', md5(concat_ws('|', ?, ?, ?, ?, ?)))"),
         purchase},
        QStringLiteral("Outra estação está gravando nesta compra. Tente novamente."));
}

bool addLine(Connection& connection, const Params& purchase, const Decimal& qtde,
             const Decimal& vfinal, const std::function<void()>& write) {
    const NamedLock lock = turn(connection, purchase);
    Transaction transaction(connection);
    if (!PurchaseTotals::fit(connection.query(PurchaseStatements::kLines, purchase), qtde, vfinal))
        return false;
    write();
    transaction.commit();
    return true;
}

bool close(Connection& connection, const Params& purchase) {
    const NamedLock lock = turn(connection, purchase);
    Transaction transaction(connection);
    if (!PurchaseTotals::fit(connection.query(PurchaseStatements::kLines, purchase)))
        return false;
    Params values = purchase;
    values.insert(values.begin(), QStringLiteral("S"));
    connection.execute(PurchaseStatements::kClose, values);
    transaction.commit();
    return true;
}

} // namespace vtx::PurchaseWrites
