// The search of a purchase's freight spread over the totals its lines can reach.
#include "FreightSpread.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <tuple>

#include "DbError.h"

namespace vtx::FreightSpread {

namespace {

/// Totals are counted in units of 10^-8: a quantity of 4 decimals times a step of 0,0001.
constexpr int kScale = 8;
constexpr std::int64_t kCent = 1000000;

std::int64_t unitsOf(const Decimal& value) {
    return value.rescaled(kScale).units();
}

std::int64_t sum(std::int64_t a, std::int64_t b) {
    std::int64_t out = 0;
    if (__builtin_add_overflow(a, b, &out))
        throw UsageError("freight total out of range");
    return out;
}

/// A total reached by the lines searched so far: how far it lies from the bases' total, how
/// many lines it moves, the last move recorded on the way, and the move of the line at hand.
struct Reached {
    std::int64_t offset = 0;
    int moved = 0;
    int move = -1;
    int step = 0;
};

/// One line moved one step down or up, after the move `previous` (-1: none).
struct Move {
    int previous;
    int line;
    int step;
};

bool byOffset(const Reached& a, const Reached& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.moved < b.moved;
}

/// The totals reached with one more line whose step is worth `units`: each total kept, and
/// moved down and up where the line allows; for each total the fewest lines moved.
std::vector<Reached> reach(const std::vector<Reached>& totals, std::int64_t units,
                           const Line& line) {
    std::vector<Reached> out = totals;
    for (const int step : {-1, 1}) {
        if (!(step < 0 ? line.down : line.up))
            continue;
        std::vector<Reached> moved;
        moved.reserve(totals.size());
        for (const Reached& r : totals)
            moved.push_back({sum(r.offset, step * units), r.moved + 1, r.move, step});
        std::vector<Reached> merged;
        merged.reserve(out.size() + moved.size());
        std::merge(out.begin(), out.end(), moved.begin(), moved.end(), std::back_inserter(merged),
                   byOffset);
        out = std::move(merged);
    }
    out.erase(std::unique(out.begin(), out.end(),
                          [](const Reached& a, const Reached& b) { return a.offset == b.offset; }),
              out.end());
    return out;
}

/// Keeps the kMaxTotals totals nearest to the offset wanted, in order of offset.
void keepNearest(std::vector<Reached>& totals, std::int64_t wanted) {
    if (totals.size() <= kMaxTotals)
        return;
    auto gap = [wanted](const Reached& r) {
        return r.offset > wanted ? std::uint64_t(r.offset) - std::uint64_t(wanted)
                                 : std::uint64_t(wanted) - std::uint64_t(r.offset);
    };
    std::nth_element(totals.begin(), totals.begin() + kMaxTotals, totals.end(),
                     [&](const Reached& a, const Reached& b) {
                         return gap(a) != gap(b) ? gap(a) < gap(b) : byOffset(a, b);
                     });
    totals.resize(kMaxTotals);
    std::sort(totals.begin(), totals.end(), byOffset);
}

/// Drops the moves that no total kept leads through, numbering the others anew.
void forgetUnused(std::vector<Move>& moves, std::vector<Reached>& totals) {
    std::vector<char> used(moves.size(), 0);
    for (const Reached& r : totals)
        for (int m = r.move; m >= 0 && !used[m]; m = moves[m].previous)
            used[m] = 1;
    // A move comes after the one before it, so that one is numbered first.
    std::vector<int> number(moves.size(), -1);
    std::vector<Move> kept;
    for (size_t m = 0; m < moves.size(); ++m)
        if (used[m]) {
            number[m] = int(kept.size());
            const int previous = moves[m].previous;
            kept.push_back({previous < 0 ? -1 : number[previous], moves[m].line, moves[m].step});
        }
    for (Reached& r : totals)
        r.move = r.move < 0 ? -1 : number[r.move];
    moves = std::move(kept);
}

/// A total of 10^-8 units rounded half away from zero to cents, in 10^-8 units.
std::int64_t inCents(std::int64_t total) {
    const std::int64_t half = total < 0 ? -kCent / 2 : kCent / 2;
    return sum(total, half) / kCent * kCent;
}

} // namespace

std::vector<Decimal> closest(const std::vector<Line>& lines, const Decimal& amount) {
    std::vector<Decimal> freights;
    Decimal bases;
    for (const Line& l : lines) {
        freights.push_back(l.base);
        bases = bases + l.qtde * l.base;
    }
    const std::int64_t basesTotal = unitsOf(bases);
    const std::int64_t target = unitsOf(amount);
    if (inCents(basesTotal) == target)
        return freights;

    std::vector<std::int64_t> units;
    for (const Line& l : lines)
        units.push_back(unitsOf(l.qtde * kStep));
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return units[a] > units[b]; });

    const std::int64_t wanted = sum(target, -basesTotal);
    std::vector<Reached> totals{Reached{}};
    std::vector<Move> moves;
    for (const size_t i : order) {
        if (units[i] <= 0 || !(lines[i].down || lines[i].up))
            continue;
        totals = reach(totals, units[i], lines[i]);
        keepNearest(totals, wanted);
        for (Reached& r : totals)
            if (r.step != 0) {
                moves.push_back({r.move, int(i), r.step});
                r.move = int(moves.size()) - 1;
                r.step = 0;
            }
        if (moves.size() > 4 * kMaxTotals)
            forgetUnused(moves, totals);
    }

    // Nearest in cents, then fewest lines moved, then the least change.
    auto rank = [&](const Reached& r) {
        const std::int64_t cents = inCents(sum(basesTotal, r.offset));
        const std::uint64_t gap = cents > target ? std::uint64_t(cents) - std::uint64_t(target)
                                                 : std::uint64_t(target) - std::uint64_t(cents);
        const std::uint64_t change =
            r.offset < 0 ? std::uint64_t(0) - std::uint64_t(r.offset) : std::uint64_t(r.offset);
        return std::tuple(gap, r.moved, change, r.offset);
    };
    const Reached best =
        *std::min_element(totals.begin(), totals.end(),
                          [&](const Reached& a, const Reached& b) { return rank(a) < rank(b); });
    for (int m = best.move; m >= 0; m = moves[m].previous) {
        const Move& move = moves[m];
        freights[move.line] =
            move.step < 0 ? lines[move.line].base - kStep : lines[move.line].base + kStep;
    }
    return freights;
}

} // namespace vtx::FreightSpread
