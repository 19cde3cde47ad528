// The statements of the settlement, each write in a transaction of its own.
#include "Receipts.h"

#include <optional>

#include "ClockKey.h"
#include "Connection.h"
#include "DbError.h"
#include "Formats.h"
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

/// A server-wide lock, held from before the transaction begins until after it ends, under
/// which the workstations of one installation check and take receipt numbers one at a time.
class NumberLock {
public:
    explicit NumberLock(Connection& c) : m_connection(c) {
        const QVariant got =
            c.query(QStringLiteral("select get_lock(?, 10)"), {name()}).value(0, 0);
        if (got.toInt() != 1)
            throw DbError(0, QStringLiteral("HY000"),
                          QStringLiteral("Outra estação está iniciando um recibo."));
    }
    ~NumberLock() {
        try {
            m_connection.query(QStringLiteral("select release_lock(?)"), {name()});
        } catch (const DbError&) {
            // A lost link ends the server's session, and the lock with it.
        }
    }
    NumberLock(const NumberLock&) = delete;
    NumberLock& operator=(const NumberLock&) = delete;

private:
    static QString name() { return QStringLiteral("vertalumex.nrrec.") + gIdLic; }
    Connection& m_connection;
};

QVariant money(const Decimal& value) {
    return QVariant::fromValue(value.rescaled(2));
}

} // namespace

QString PaymentLine::text() const {
    const QString value = Formats::plainAmount(amount).rightJustified(15, QLatin1Char(' '), true);
    return value + QLatin1Char('|') + code + QLatin1Char('|') + note;
}

namespace Receipts {

QString newNumber(Connection& connection) {
    return ClockKeys::firstFree(kNumber,
                                [&](const QString& key) { return isFree(connection, key); });
}

PutIn putIn(Connection& connection, const QString& idlan, const QString& number, bool firstItem,
            const Decimal& interest, const Decimal& discount, const Decimal& toPay) {
    std::optional<NumberLock> lock;
    if (firstItem)
        lock.emplace(connection);
    PutIn result{false, number};
    Transaction tx(connection);
    if (firstItem && !isFree(connection, number))
        result.number = newNumber(connection);
    const long long changed = connection.execute(
        QStringLiteral("update cpagar set vrj = ?, vrd = ?, vrpg = ?, pago = 'X', nrrec = ? where "
                       "idlic = ? and idlan = ? and pago = 'N'"),
        {money(interest), money(discount), money(toPay), result.number, gIdLic, idlan});
    if (changed == 0)
        return result;
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

bool close(Connection& connection, const QString& number, const QDate& date,
           const std::vector<PaymentLine>& lines) {
    Transaction tx(connection);
    Recordset items = connection.query(
        QStringLiteral("select vrpg from cpagar where idlic = ? and nrrec = ? and pago = 'X' for "
                       "update"),
        {gIdLic, number});
    Decimal due(0, 2), paid(0, 2);
    for (items.moveFirst(); !items.eof(); items.moveNext())
        due = due + items.value(QStringLiteral("vrpg")).value<Decimal>();
    for (const PaymentLine& line : lines)
        paid = paid + line.amount.rescaled(2);
    // Closed meanwhile on another workstation, or changed since this screen summed it.
    if (items.isEmpty() || due.rescaled(2) != paid)
        return false;

    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    std::vector<Params> rows;
    for (const PaymentLine& line : lines)
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
        return false;
    tx.commit();
    return true;
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
