// Loading, saving and deleting expense documents in cpagar.
#include "ExpenseDocument.h"

#include <algorithm>
#include <set>

#include "Connection.h"
#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx {

namespace {

// A number is stored trimmed; one stored earlier with blanks before it is still found. The
// comparison stays on the number's index, so that a locking read locks only the document.
const QString kDocumentRows =
    QStringLiteral("select * from cpagar where idlic = ? and  (nrdoc = ? or (nrdoc like ' %' and "
                   "trim(nrdoc) = ?)) and cdfor like ? order by idlan");
const QString kLockRows =
    QStringLiteral("select idlan,vrpg,pago from cpagar where idlic = ? and  (nrdoc = ? or (nrdoc "
                   "like ' %' and trim(nrdoc) = ?)) and cdfor like ? order by idlan for update");
const QString kDelete =
    QStringLiteral("delete from cpagar where  idlic = ? and  (nrdoc = ? or (nrdoc like ' %' and "
                   "trim(nrdoc) = ?)) and cdfor like ?");
const QString kInsert = QStringLiteral(
    "insert into cpagar (idlic,idlan,nrdoc,refdoc,cdfor,dte,obs,cdcen,cdscen,dtv,vrorig,vrpg,"
    "vrab,parcela,evcad) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
const QString kUpdate = QStringLiteral(
    "update cpagar set refdoc = ?, dte = ?,obs = ?,cdcen = ?,cdscen = ?, dtv = ?,vrorig = ?,"
    "vrab = ?,evcad = ? where  idlic = ? and  idlan = ? and trim(nrdoc) = ? and cdfor like ? "
    "and pago = 'N'");

/// Paid or placed in a receipt: an amount to pay, or a state other than open. A receipt may
/// hold an instalment whose amount to pay is 0 or less, so the state counts as much.
bool isLocked(const Recordset& row) {
    const Decimal paid = row.isNull(QStringLiteral("vrpg"))
                             ? Decimal()
                             : row.value(QStringLiteral("vrpg")).value<Decimal>();
    const QString state = row.text(QStringLiteral("pago"));
    return paid > Decimal() || (!state.isEmpty() && state != QLatin1String("N"));
}

QVariant amount(const Decimal& value) {
    return QVariant::fromValue(value.rescaled(2));
}

/// Whether the rows read under the lock are still those the screen holds: the same keys, and
/// none locked that the screen holds open.
bool unchanged(Recordset& now, const StoredExpense* loaded) {
    if (!loaded)
        return now.isEmpty();
    std::set<QString> loadedKeys, openKeys;
    for (const Instalment& i : loaded->instalments) {
        loadedKeys.insert(i.idlan);
        if (!i.locked)
            openKeys.insert(i.idlan);
    }
    std::set<QString> keys;
    for (now.moveFirst(); !now.eof(); now.moveNext()) {
        const QString key = now.text(QStringLiteral("idlan"));
        keys.insert(key);
        if (isLocked(now) && openKeys.count(key))
            return false;
    }
    return keys == loadedKeys;
}

Params documentKey(const QString& nrdoc, qlonglong cdfor) {
    return {gIdLic, nrdoc, nrdoc, cdfor};
}

} // namespace

bool StoredExpense::partlyPaid() const {
    return std::any_of(instalments.begin(), instalments.end(),
                       [](const Instalment& i) { return i.locked; });
}

namespace Instalments {

QString label(int number, int count) {
    return QStringLiteral("%1/%2")
        .arg(number, 3, 10, QLatin1Char('0'))
        .arg(count, 3, 10, QLatin1Char('0'));
}

QString key(const QString& nrdoc, const QString& label, const QString& supplier) {
    return (nrdoc + QLatin1Char('/') + label).trimmed() + QLatin1Char('/') + supplier;
}

QDate dueDate(const QDate& first, int months) {
    return first.addMonths(months);
}

} // namespace Instalments

namespace ExpenseDocument {

LockName lockName(const QString& nrdoc, qlonglong cdfor) {
    // The server folds the number as its comparisons of nrdoc do; the name holds a digest, as
    // the server limits its length.
    return {QStringLiteral("concat('vertalumex.cpagar.', md5(concat(?, '|', ?, '|', "
                           "weight_string(convert(? using utf8mb4) collate utf8mb4_general_ci))))"),
            {gIdLic, cdfor, nrdoc}};
}

std::optional<StoredExpense> load(Connection& connection, const QString& nrdoc, qlonglong cdfor) {
    Recordset rows = connection.query(kDocumentRows, documentKey(nrdoc, cdfor));
    if (rows.isEmpty())
        return std::nullopt;
    StoredExpense doc;
    rows.moveFirst();
    doc.count = rows.text(QStringLiteral("parcela")).right(3).toInt();
    int headerRow = -1;
    for (; !rows.eof(); rows.moveNext()) {
        if (headerRow < 0 && !isLocked(rows))
            headerRow = rows.position();
        const QVariant value = rows.value(QStringLiteral("vrorig"));
        doc.instalments.push_back(
            {rows.text(QStringLiteral("idlan")), rows.text(QStringLiteral("parcela")),
             rows.value(QStringLiteral("dtv")).toDate(),
             value.isNull() ? Decimal() : value.value<Decimal>(), isLocked(rows)});
    }
    // The paid rows keep the header they were stored with; the open ones carry the last save.
    rows.setPosition(std::max(headerRow, 0));
    auto code = [&](const char* column) { return rows.value(QLatin1String(column)).toLongLong(); };
    doc.header = {rows.text(QStringLiteral("nrdoc")).trimmed(),
                  rows.text(QStringLiteral("refdoc")),
                  code("cdfor"),
                  rows.value(QStringLiteral("dte")).toDate(),
                  rows.text(QStringLiteral("obs")),
                  code("cdcen"),
                  code("cdscen")};
    return doc;
}

Outcome save(Connection& connection, const ExpenseHeader& h, const std::vector<Instalment>& rows,
             const StoredExpense* loaded) {
    NamedLock lock(connection, lockName(h.nrdoc, h.cdfor),
                   QStringLiteral("Outra estação está gravando esta despesa."));
    Transaction tx(connection);
    Recordset now = connection.query(kLockRows, documentKey(h.nrdoc, h.cdfor));
    if (!loaded && !now.isEmpty())
        return Outcome::Duplicate;
    if (!unchanged(now, loaded))
        return Outcome::Changed;

    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    const bool partlyPaid = loaded && loaded->partlyPaid();
    std::vector<Params> batch;
    if (partlyPaid) {
        // Only the open rows change; the paid ones keep what they were stored with.
        for (const Instalment& i : rows)
            if (!i.locked)
                batch.push_back({h.refdoc, h.dte, h.obs, h.cdcen, h.cdscen, i.dtv, amount(i.value),
                                 amount(i.value), stamp, gIdLic, i.idlan, h.nrdoc, h.cdfor});
        connection.executeBatch(kUpdate, batch);
    } else {
        if (loaded)
            connection.execute(kDelete, documentKey(h.nrdoc, h.cdfor));
        for (const Instalment& i : rows)
            batch.push_back({gIdLic, i.idlan, h.nrdoc, h.refdoc.trimmed(), h.cdfor, h.dte, h.obs,
                             h.cdcen, h.cdscen, i.dtv, amount(i.value), QStringLiteral("0"),
                             amount(i.value), i.parcela, stamp});
        connection.executeBatch(kInsert, batch);
    }
    tx.commit();
    return Outcome::Done;
}

Outcome remove(Connection& connection, const QString& nrdoc, qlonglong cdfor) {
    Transaction tx(connection);
    Recordset now = connection.query(kLockRows, documentKey(nrdoc, cdfor));
    for (now.moveFirst(); !now.eof(); now.moveNext())
        if (isLocked(now))
            return Outcome::Locked;
    connection.execute(kDelete, documentKey(nrdoc, cdfor));
    tx.commit();
    return Outcome::Done;
}

} // namespace ExpenseDocument

} // namespace vtx
