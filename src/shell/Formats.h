// The shared text forms of dates, times, amounts and audit stamps.
#pragma once

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include "Decimal.h"

namespace vtx::Formats {

/// "dd/mm/yyyy" as the screens show dates.
QString dateText(const QDate& date);
/// A stored date as dateText() writes it; empty for NULL.
QString dateTextOf(const QVariant& stored);
/// "dd/mm/yy" as the report lines show dates.
QString shortDateText(const QDate& date);
/// "yyyy/mm/dd" as the statements write dates.
QString sqlDate(const QDate& date);
/// "hh:nn".
QString timeText(const QTime& time);
/// "dd/mm/yyyy hh:mm:ss", the general date-and-time form of the audit stamps.
QString dateTimeText(const QDateTime& moment);

/// A typed or stored date: "dd/mm/yyyy" (also d/m/yy), "yyyy/mm/dd" or ISO "yyyy-mm-dd";
/// nothing for any text that is no real date.
std::optional<QDate> parseDate(const QString& text);

/// An amount typed with a decimal comma ("1.234,5", "12"), also as a currency text
/// ("R$ 1.234,50", "-R$ 50,00", "R$ -50"), with one sign that may stand apart ("- 150");
/// nothing when not a number, nor for a number with more digits than an amount holds.
std::optional<Decimal> parseAmount(const QString& text);
/// True for a text that parseAmount() would read but for its number of digits (more than 13
/// whole, 18 decimal or 18 in all): a value out of every amount's range, not a typing slip.
bool isTooLongAmount(const QString& text);
/// True for a number typed: an amount parseAmount() reads, or one too long for it, which the
/// range checks then refuse.
bool isTypedNumber(const QString& text);
/// "R$ 1.234,50": two decimals, point groups, a plain blank after "R$".
QString currency(const Decimal& amount);
/// "1.234,50" (decimals as given).
QString amountText(const Decimal& amount, int decimals = 2);
/// "1234,5" as the "0.00##" patterns give it: rounded to maxDecimals, trailing zeros dropped
/// down to minDecimals, a decimal comma and no grouping.
QString decimalText(const Decimal& value, int minDecimals, int maxDecimals);
/// decimalText(value, 2, 4) ("12,50", "0,1235") written directly, for the report lines that
/// show several amounts each.
QString twoToFourDecimals(const Decimal& value);
/// A stored amount or quantity as twoToFourDecimals() writes it; empty for NULL.
QString twoToFourDecimalsOf(const QVariant& stored);
/// "1234,50": a decimal comma and no grouping, as the "##0.00" patterns write amounts.
QString plainAmount(const Decimal& amount, int decimals = 2);
/// currency() of an amount, or "VALOR FORA DO LIMITE!" in place of one that could not be read
/// or summed (nothing): never an amount it is not.
QString currencyOrOutOfRange(const std::optional<Decimal>& amount);

/// True when the trimmed text is one or more ASCII digits and nothing else.
bool isDigitsOnly(const QString& text);
/// A numeric code: 1 to 18 ASCII digits after trimming; nothing for any other text.
std::optional<qlonglong> numericCode(const QString& text);

/// Audit value: gUsuario, the separator and the clock's "dd/mm/yyyy hh:mm:ss".
QString auditStamp(const QString& separator);

} // namespace vtx::Formats
