// Receipts of the settlement: numbers made from the clock, instalments put into a receipt and
// taken out again, payment lines, the close that pays them, and the receipts left pending.
#pragma once

#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

#include "Decimal.h"
#include "NamedLock.h"

namespace vtx {

/// One payment of a receipt: the amount, the method's code (CHE, DIN, ...) and a note.
struct ReceiptPayment {
    Decimal amount;
    QString code;
    QString note;

    /// As the list shows it: the amount right-aligned in 15, "|", the code, "|", the note.
    QString text() const;
};

namespace Receipts {

/// The lock a receipt's put-ins and its close hold, by its number: a workstation stalled in
/// one receipt holds up no other.
LockName lockName(const QString& number);

/// A receipt number from the clock ("yymmddhhmmss") that no instalment nor receipt row of the
/// installation holds, nor any workstation's lock. Throws DbError.
QString newNumber(Connection& connection);

/// What putting an instalment into a receipt came to.
struct PutIn {
    /// False when the instalment was no longer open, or the receipt was closed: nothing changed.
    bool done = false;
    /// The receipt was closed meanwhile on another workstation.
    bool closedElsewhere = false;
    /// The receipt's number: another one when the first item found its number taken.
    QString number;
    /// Where the instalment was found when it was no longer open: its state ("S" paid, "X" in a
    /// receipt) and its receipt's number; both empty when it is gone.
    QString foundPago;
    QString foundNrrec;
};

/// Puts an open instalment into the receipt with its interest, discount and amount to pay,
/// under the receipt's lock. For the receipt's first item the number is checked again and
/// replaced by a free one when another receipt took it or another workstation holds its lock;
/// a later item is refused when the receipt was closed meanwhile. Throws DbError.
PutIn putIn(Connection& connection, const QString& idlan, const QString& number, bool firstItem,
            const Decimal& interest, const Decimal& discount, const Decimal& toPay);

/// Takes an instalment of this receipt out of it, open again; false when it was not in it.
bool takeOut(Connection& connection, const QString& idlan, const QString& number);

/// What closing a receipt came to; nothing is written unless it is Closed.
enum class CloseOutcome {
    Closed,
    /// Another workstation closed it first.
    ClosedElsewhere,
    /// Its items no longer add up to the payments.
    Divergent
};

/// Closes the receipt in one transaction, under the receipt's lock: its items, read under
/// a lock, must still add up to the payments; then one receipt row per payment line and every
/// item paid. Throws DbError (rolled back).
CloseOutcome close(Connection& connection, const QString& number, const QDate& date,
                   const std::vector<ReceiptPayment>& lines);

/// The numbers of the receipts holding instalments but not closed, in order.
QStringList pending(Connection& connection);

} // namespace Receipts

} // namespace vtx
