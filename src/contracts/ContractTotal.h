// The total of a contract: the sum of quantity times unit value over its procedure lines.
#pragma once

#include <optional>

#include <QString>

#include "Decimal.h"

namespace vtx {

/// The contract's total read on the shared connection; zero when it has no lines, nothing when
/// it passes the range of a procedure line's value column. Throws DbError.
std::optional<Decimal> contractTotal(const QString& contractId);
/// The total as the forms show it: "R$ 1.234,50", or "VALOR FORA DO LIMITE!" for a total
/// past that range. Throws DbError.
QString contractTotalText(const QString& contractId);

} // namespace vtx
