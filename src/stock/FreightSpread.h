// The freight per unit of each line of a purchase, chosen so that the freight stored, in cents,
// comes nearest to the amount typed.
#pragma once

#include <cstddef>
#include <vector>

#include "Decimal.h"

namespace vtx::FreightSpread {

/// One line: its quantity (at most 4 decimals), the freight per unit of its share of the amount
/// (the base, 4 decimals), and whether that freight may move one 0,0001 step below or above it.
struct Line {
    Decimal qtde;
    Decimal base;
    bool down = false;
    bool up = false;
};

/// How far a line's freight per unit may move off its base: 0,0001.
inline const Decimal kStep(1, 4);

/// The most totals the search keeps from one line to the next; past it, those nearest to the
/// amount are kept. Lines of whole units up to 1.000 seldom reach it.
inline constexpr std::size_t kMaxTotals = std::size_t(1) << 15;

/// Each line's freight per unit: its base, or one step off it where allowed. Of those spreads,
/// the one whose stored total (the sum of qtde x freight per unit) rounded to cents is nearest
/// to the amount; a tie goes to the fewest lines off their base. The search adds the lines one
/// by one (the largest steps first) and keeps each total reached once, with the fewest lines
/// moved to reach it; past kMaxTotals the best of the totals kept is taken (30 lines as invoices
/// hold them take a few milliseconds). UsageError when a total leaves the exact decimals.
std::vector<Decimal> closest(const std::vector<Line>& lines, const Decimal& amount);

} // namespace vtx::FreightSpread
