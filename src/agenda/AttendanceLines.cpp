// Texts and totals of the attendance lines.
#include "AttendanceLines.h"

#include "DbError.h"
#include "Formats.h"

namespace vtx::AttendanceLines {

namespace {

QString left(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '), /*truncate=*/true);
}

/// Right-aligned in the width; a longer text keeps its leftmost characters.
QString right(const QString& text, int width) {
    return text.left(width).rightJustified(width, QLatin1Char(' '));
}

} // namespace

QString procedureText(const ProcedureLine& line) {
    return QStringList{
        left(line.nmproc, 45), right(line.qtdeText, 6), right(Formats::currency(line.valor), 15),
        left(line.nmconv, 25), left(line.idconv, 10),   left(line.idproc, 10)}
        .join(QLatin1Char('|'));
}

QString paymentText(const PaymentLine& line) {
    return left(line.mp, 20) + QLatin1Char('|') + right(Formats::currency(line.valor), 15) +
           QLatin1Char('|') + line.obs;
}

std::optional<AttendanceTotals> totals(const std::vector<ProcedureLine>& procedures,
                                       const std::vector<PaymentLine>& payments) {
    AttendanceTotals sums;
    try {
        for (const ProcedureLine& line : procedures)
            sums.toPay = sums.toPay + line.valor * line.qtde;
        for (const PaymentLine& line : payments)
            sums.paid = sums.paid + line.valor;
        sums.missing();
    } catch (const UsageError&) {
        return std::nullopt;
    }
    return sums;
}

QStringList totalsText(const AttendanceTotals& totals) {
    return {QStringLiteral("Total a Pagar.: ") + Formats::currency(totals.toPay),
            QStringLiteral("Total Pago....: ") + Formats::currency(totals.paid),
            QStringLiteral("Falta.........: ") + Formats::currency(totals.missing())};
}

} // namespace vtx::AttendanceLines
