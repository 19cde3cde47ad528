// The search of the freight spread beside every spread tried one by one, and on purchases of
// many lines.
#include <optional>

#include <gtest/gtest.h>

#include "FreightSpread.h"
#include "PurchaseTotals.h"

namespace vtx::test {
namespace {

using FreightSpread::kStep;

/// A purchase drawn from a fixed seed: quantities as invoices hold them, values in cents.
class Purchases {
public:
    explicit Purchases(std::uint64_t seed) : m_state(seed) {}

    std::vector<FreightSpread::Line> draw(int lines, const std::vector<const char*>& quantities,
                                          const Decimal& amount) {
        std::vector<Decimal> qtde, value;
        Decimal goods;
        for (int i = 0; i < lines; ++i) {
            qtde.push_back(
                *Decimal::parse(QString::fromLatin1(quantities[next(quantities.size())])));
            value.push_back(Decimal(std::int64_t(1 + next(50000)), 2));
            goods = goods + qtde.back() * value.back();
        }
        goods = goods.rescaled(2);
        std::vector<FreightSpread::Line> out;
        for (int i = 0; i < lines; ++i) {
            const Decimal base = unitFreight(value[i], amount, goods);
            out.push_back({qtde[i], base, !(base - kStep).isNegative(), true});
        }
        return out;
    }
    /// An amount of up to 500,00 in cents.
    Decimal amount() { return Decimal(std::int64_t(next(50001)), 2); }

private:
    std::uint64_t next(std::uint64_t bound) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (m_state >> 33) % bound;
    }
    std::uint64_t m_state;
};

Decimal stored(const std::vector<FreightSpread::Line>& lines,
               const std::vector<Decimal>& freights) {
    Decimal total;
    for (size_t i = 0; i < lines.size(); ++i)
        total = total + lines[i].qtde * freights[i];
    return total;
}

/// How far the total shown in cents lies from the amount, and how many lines left their base.
std::pair<Decimal, int> rank(const std::vector<FreightSpread::Line>& lines,
                             const std::vector<Decimal>& freights, const Decimal& amount) {
    const Decimal cents = stored(lines, freights).rescaled(2);
    int moved = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        moved += freights[i] != lines[i].base;
    return {cents > amount ? cents - amount : amount - cents, moved};
}

/// The best rank of every spread, each line's freight its base or one step off it.
std::pair<Decimal, int> bestOfAll(const std::vector<FreightSpread::Line>& lines,
                                  const Decimal& amount) {
    std::vector<Decimal> freights(lines.size());
    std::optional<std::pair<Decimal, int>> best;
    const auto tryFrom = [&](auto&& self, size_t i) -> void {
        if (i == lines.size()) {
            const auto r = rank(lines, freights, amount);
            if (!best || r < *best)
                best = r;
            return;
        }
        for (const int step : {-1, 0, 1}) {
            if ((step < 0 && !lines[i].down) || (step > 0 && !lines[i].up))
                continue;
            freights[i] = step == 0 ? lines[i].base
                                    : (step < 0 ? lines[i].base - kStep : lines[i].base + kStep);
            self(self, i + 1);
        }
    };
    tryFrom(tryFrom, 0);
    return *best;
}

const std::vector<const char*> kInvoiceQuantities = {"1",  "2",   "3",   "5",   "10",  "12",  "24",
                                                     "50", "100", "200", "250", "500", "1000"};

TEST(FreightSpreadTest, TheSearchFindsTheNearestSpreadWithTheFewestLinesMoved) {
    Purchases purchases(45);
    const std::vector<const char*> quantities = {"1",   "3",   "7",    "100",    "200",
                                                 "250", "2.5", "0.75", "1.2345", "30000"};
    for (int round = 0; round < 300; ++round) {
        const Decimal amount = purchases.amount();
        const auto lines = purchases.draw(1 + round % 7, quantities, amount);
        const std::vector<Decimal> freights = FreightSpread::closest(lines, amount);
        ASSERT_EQ(rank(lines, freights, amount), bestOfAll(lines, amount)) << round;
    }
}

// 30 lines as invoices hold them store the freight typed; far more lines of odd quantities pass
// the search's limit and come no farther from it than their shares.
TEST(FreightSpreadTest, ManyLinesStoreTheFreightTypedOrTheNearestFound) {
    Purchases purchases(30);
    for (int round = 0; round < 100; ++round) {
        const Decimal amount = purchases.amount();
        const auto lines = purchases.draw(30, kInvoiceQuantities, amount);
        const std::vector<Decimal> freights = FreightSpread::closest(lines, amount);
        ASSERT_TRUE(rank(lines, freights, amount).first.isZero()) << round;
    }

    const std::vector<const char*> odd = {"1.2345", "7.0001", "13.3331",
                                          "2.5",    "0.3333", "999.9999"};
    for (int round = 0; round < 2; ++round) {
        const Decimal amount = purchases.amount();
        const auto lines = purchases.draw(200, odd, amount);
        std::vector<Decimal> bases;
        for (const auto& l : lines)
            bases.push_back(l.base);
        const std::vector<Decimal> freights = FreightSpread::closest(lines, amount);
        EXPECT_LE(rank(lines, freights, amount).first, rank(lines, bases, amount).first);
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_LE(freights[i] > bases[i] ? freights[i] - bases[i] : bases[i] - freights[i],
                      kStep);
    }
}

} // namespace
} // namespace vtx::test
