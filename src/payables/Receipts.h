// Receipts of the settlement: numbers made from the clock, instalments put into a receipt and
// taken out again, payment lines, the close that pays them, and the receipts left pending.
#pragma once

#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

#include "Decimal.h"

namespace vtx {

class Connection;

/// One payment of a receipt: the amount, the method's code (CHE, DIN, ...) and a note.
struct PaymentLine {
    Decimal amount;
    QString code;
    QString note;

    /// As the list shows it: the amount right-aligned in 15, "|", the code, "|", the note.
    QString text() const;
};

namespace Receipts {

/// A receipt number from the clock ("yymmddhhmmss") that no instalment nor receipt row of the
/// installation holds. Throws DbError.
QString newNumber(Connection& connection);

/// What putting an instalment into a receipt came to.
struct PutIn {
    /// False when the instalment was no longer open: nothing changed.
    bool done = false;
    /// The receipt's number: another one when the first item found its number taken.
    QString number;
};

/// Puts an open instalment into the receipt with its interest, discount and amount to pay.
/// For the receipt's first item the number is checked again, under a lock shared by every
/// workstation, and replaced by a free one when another receipt took it. Throws DbError.
PutIn putIn(Connection& connection, const QString& idlan, const QString& number, bool firstItem,
            const Decimal& interest, const Decimal& discount, const Decimal& toPay);

/// Takes an instalment of this receipt out of it, open again; false when it was not in it.
bool takeOut(Connection& connection, const QString& idlan, const QString& number);

/// Closes the receipt in one transaction: its items, read under a lock, must still add up to
/// the payments; then one receipt row per payment line and every item paid. False, with
/// nothing written, when they do not add up. Throws DbError (rolled back).
bool close(Connection& connection, const QString& number, const QDate& date,
           const std::vector<PaymentLine>& lines);

/// The numbers of the receipts holding instalments but not closed, in order.
QStringList pending(Connection& connection);

} // namespace Receipts

} // namespace vtx
