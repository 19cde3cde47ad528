// The statements of the settlement, each write in a transaction of its own.
#include "Receipts.h"

#include "ClockKey.h"
#include "Connection.h"
#include "DbError.h"
#include "Formats.h"
#include "NamedLock.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx {

namespace {

const ClockKeyPattern kNumber{QString(), QStringLiteral("yyMMddHHmmss"), QString()};

bool isFree(Connection& c, const QString& number) {
    return c
        .query(QStringLiteral("select nrrec from cpagar where idlic = ? and nrrec = ? union "
                              "select nrrec from cpagar_recibos where idlic = ? and nrrec = ?"),
               {gIdLic, number, gIdLic, number})
        .isEmpty();
}

/// No workstation holds the number's lock: none is putting a first item in under it.
bool lockIsFree(Connection& c, const QString& number) {
    const LockName lock = Receipts::lockName(number);
    return c.query(QStringLiteral("select is_free_lock(%1)").arg(lock.expression), lock.values)
               .value(0, 0)
               .toInt() == 1;
}

/// The receipt was closed: it has receipt rows, or paid instalments.
bool isClosed(Connection& c, const QString& number) {
    return !c.query(QStringLiteral("select nrrec from cpagar_recibos where idlic = ? and nrrec = ? "
                                   "union select nrrec from cpagar where idlic = ? and nrrec = ? "
                                   "and pago = 'S'"),
                    {gIdLic, number, gIdLic, number})
                .isEmpty();
}

const QString kBusy = QStringLiteral("Outra estação está alterando um recibo. Tente novamente.");

/// A free number in place of one another receipt took, chosen under the installation's lock.
/// The number comes locked, for the rest of the put-in, so that no other workstation takes
/// it before the put-in writes it.
QString chooseNumber(Connection& c, std::unique_ptr<NamedLock>& held) {
    NamedLock choosing(c, LockName::fixed(QStringLiteral("vertalumex.nrrec.") + gIdLic), kBusy);
    return ClockKeys::firstFree(kNumber, [&](const QString& key) {
        std::unique_ptr<NamedLock> lock = NamedLock::tryTake(c, Receipts::lockName(key));
        if (!lock || !isFree(c, key))
            return false;
        held = std::move(lock);
        return true;
    });
}

QVariant money(const Decimal& value) {
    return QVariant::fromValue(value.rescaled(2));
}

} // namespace

QString ReceiptPayment::text() const {
    const QString value = Formats::plainAmount(amount).rightJustified(15, QLatin1Char(' '), true);
    return value + QLatin1Char('|') + code + QLatin1Char('|') + note;
}

namespace Receipts {

LockName lockName(const QString& number) {
    return LockName::fixed(QStringLiteral("vertalumex.recibo.") + gIdLic + QLatin1Char('|') +
                           number);
}

QString newNumber(Connection& connection) {
    return ClockKeys::firstFree(kNumber, [&](const QString& key) {
        return isFree(connection, key) && lockIsFree(connection, key);
    });
}

PutIn putIn(Connection& connection, const QString& idlan, const QString& number, bool firstItem,
            const Decimal& interest, const Decimal& discount, const Decimal& toPay) {
    // A first item never waits for a number another workstation holds: its own first item is
    // going in under it, so that another number is chosen at once.
    const std::unique_ptr<NamedLock> lock =
        firstItem ? NamedLock::tryTake(connection, lockName(number))
                  : std::make_unique<NamedLock>(connection, lockName(number), kBusy);
    PutIn result{false, false, number};
    std::unique_ptr<NamedLock> newNumberLock;
    Transaction tx(connection);
    if (firstItem && (!lock || !isFree(connection, number))) {
        result.number = chooseNumber(connection, newNumberLock);
    } else if (isClosed(connection, number)) {
        // Another workstation closed the receipt on this screen: it takes nothing more.
        result.closedElsewhere = true;
        return result;
    }
    const long long changed = connection.execute(
        QStringLiteral("update cpagar set vrj = ?, vrd = ?, vrpg = ?, pago = 'X', nrrec = ? where "
                       "idlic = ? and idlan = ? and pago = 'N'"),
        {money(interest), money(discount), money(toPay), result.number, gIdLic, idlan});
    if (changed == 0) {
        // Paid, put into a receipt or deleted since the list was read: say which.
        const Recordset found = connection.query(
            QStringLiteral("select pago,nrrec from cpagar where idlic = ? and idlan = ?"),
            {gIdLic, idlan});
        if (!found.isEmpty()) {
            result.foundPago = found.text(QStringLiteral("pago"));
            result.foundNrrec = found.text(QStringLiteral("nrrec"));
        }
        return result;
    }
    tx.commit();
    result.done = true;
    return result;
}

bool takeOut(Connection& connection, const QString& idlan, const QString& number) {
    Transaction tx(connection);
    const long long changed = connection.execute(
        QStringLiteral("update cpagar set vrj = '0', vrd = '0', vrpg = '0', pago = 'N', nrrec = "
                       "'em aberto' where idlic = ? and idlan = ? and pago = 'X' and nrrec = ?"),
        {gIdLic, idlan, number});
    if (changed == 0)
        return false;
    tx.commit();
    return true;
}

CloseOutcome close(Connection& connection, const QString& number, const QDate& date,
                   const std::vector<ReceiptPayment>& lines) {
    NamedLock lock(connection, lockName(number), kBusy);
    Transaction tx(connection);
    if (isClosed(connection, number))
        return CloseOutcome::ClosedElsewhere;
    Recordset items = connection.query(
        QStringLiteral("select vrpg from cpagar where idlic = ? and nrrec = ? and pago = 'X' for "
                       "update"),
        {gIdLic, number});
    Decimal due(0, 2), paid(0, 2);
    for (items.moveFirst(); !items.eof(); items.moveNext())
        due = due + items.value(QStringLiteral("vrpg")).value<Decimal>();
    for (const ReceiptPayment& line : lines)
        paid = paid + line.amount.rescaled(2);
    // Emptied or changed since this screen summed it.
    if (items.isEmpty() || due.rescaled(2) != paid)
        return CloseOutcome::Divergent;

    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    std::vector<Params> rows;
    for (const ReceiptPayment& line : lines)
        rows.push_back({gIdLic, number, date, line.code, line.note, money(line.amount), stamp});
    connection.executeBatch(
        QStringLiteral("insert into cpagar_recibos (idlic,nrrec,dtbx,cdmp,obs,valor,evcad) values "
                       "(?,?,?,?,?,?,?)"),
        rows);
    const long long paidRows = connection.execute(
        QStringLiteral("update cpagar set pago = 'S',vrab = 0, dtp = ? where idlic = ? and nrrec "
                       "= ? and pago = 'X'"),
        {date, gIdLic, number});
    if (paidRows != items.recordCount())
        return CloseOutcome::Divergent;
    tx.commit();
    return CloseOutcome::Closed;
}

QStringList pending(Connection& connection) {
    Recordset rows = connection.query(
        QStringLiteral("select distinct(nrrec) as NrRec from cpagar where  idlic = ? and pago = "
                       "'X' order by nrrec"),
        {gIdLic});
    QStringList numbers;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        numbers << rows.text(QStringLiteral("NrRec"));
    return numbers;
}

} // namespace Receipts

} // namespace vtx
