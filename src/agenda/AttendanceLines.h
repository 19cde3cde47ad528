// The lines of an attendance as values: the procedures done and the payments received, the
// fixed-width texts the attendance dialog shows of them, and their totals.
#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "Decimal.h"

namespace vtx {

/// One procedure done: its name and code, how many times, the unit value and the plan.
struct ProcedureLine {
    QString nmproc;
    QString qtdeText; ///< the quantity as typed, as the line shows it
    Decimal qtde;
    Decimal valor; ///< the unit value in cents, as the line shows it
    QString nmconv;
    QString idconv;
    QString idproc;
};

/// One payment received: the means, the amount in cents and a note.
struct PaymentLine {
    QString mp;
    Decimal valor;
    QString obs;
};

/// What is due and what was paid.
struct AttendanceTotals {
    Decimal toPay{0, 2};
    Decimal paid{0, 2};

    /// Due less paid in cents, as the totals show it; negative when more was paid.
    Decimal missing() const { return (toPay - paid).rescaled(2); }
};

namespace AttendanceLines {

/// The six fields of a procedure line, each padded or cut to its width, joined by "|":
/// name 45, quantity 6 (right), unit value 15 (right), plan name 25, plan code 10, code 10.
QString procedureText(const ProcedureLine& line);
/// The means in 20, the amount in 15 (right) and the whole note, joined by "|".
QString paymentText(const PaymentLine& line);

/// The sums of the lines; nothing when a sum is past what an amount can hold.
std::optional<AttendanceTotals> totals(const std::vector<ProcedureLine>& procedures,
                                       const std::vector<PaymentLine>& payments);
/// The three lines of the totals list: to pay, paid and missing.
QStringList totalsText(const AttendanceTotals& totals);

} // namespace AttendanceLines

} // namespace vtx
