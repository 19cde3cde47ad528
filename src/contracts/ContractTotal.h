// The total of a contract: the sum of quantity times unit value over its procedure lines.
#pragma once

#include <QString>

#include "Decimal.h"

namespace vtx {

/// The contract's total read on the shared connection; zero when it has no lines. Throws
/// DbError.
Decimal contractTotal(const QString& contractId);

} // namespace vtx
