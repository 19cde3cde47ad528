// Exact decimals: scales, sums, products and quotients at their limits, exact or refused.
#include <climits>

#include <QVariant>

#include <gtest/gtest.h>

#include "DbError.h"
#include "Decimal.h"

namespace vtx::test {
namespace {

TEST(Decimal, ScalesAndQuotientsAtTheirLimits) {
    const Decimal max(INT64_MAX, 0);
    // Up: only a result past 64 bits is refused.
    EXPECT_THROW(Decimal(1, 0).rescaled(19), UsageError);
    EXPECT_THROW(max.rescaled(1), UsageError);
    EXPECT_EQ(Decimal(1, 0).rescaled(18).units(), 1000000000000000000);
    EXPECT_EQ(Decimal(0, 0).rescaled(38).units(), 0);
    // Down: correctly rounded, 0 once every digit goes.
    EXPECT_EQ(Decimal(-5, 1).rescaled(0).units(), -1);
    EXPECT_EQ(Decimal(INT64_MAX, 19).rescaled(0).units(), 1);
    EXPECT_EQ(Decimal(INT64_MAX, 20).rescaled(0).units(), 0);
    EXPECT_EQ(Decimal(5, 38).rescaled(2).units(), 0);
    EXPECT_EQ(Decimal(INT64_MIN, 0).toString(), QStringLiteral("-9223372036854775808"));
    // Comparisons across any scales.
    EXPECT_LT(Decimal(INT64_MAX, 19), Decimal(1, 0));
    EXPECT_GT(Decimal(1, 0), Decimal(1, 30));
    EXPECT_LT(Decimal(-1, 0), Decimal(-1, 30));
    EXPECT_EQ(Decimal(10, 1), Decimal(1, 0));
    // Products in 128 bits, powers of ten by long division: exact, or refused.
    EXPECT_EQ(max.timesDividedBy(max, max, 0), max);
    EXPECT_EQ(Decimal(INT64_MIN, 0).timesDividedBy(Decimal(1, 0), Decimal(1, 0), 0).units(),
              INT64_MIN);
    EXPECT_EQ(Decimal(9, 0).dividedBy(Decimal(1, 0), 18).units(), 9000000000000000000);
    EXPECT_THROW(Decimal(1, 0).dividedBy(Decimal(1, 0), 19), UsageError);
    EXPECT_THROW(Decimal(1, 0).timesDividedBy(Decimal(1, 0), Decimal(3, 0), 60), UsageError);
    EXPECT_THROW(max.timesDividedBy(max, Decimal(1, 30), 0), UsageError);
    EXPECT_EQ(
        Decimal(INT64_MAX, 10).timesDividedBy(Decimal(INT64_MAX, 10), Decimal(3, 0), 0).units(),
        283568639100782053);
    EXPECT_EQ(Decimal(5, 1).timesDividedBy(Decimal(1, 0), Decimal(1, 0), 0).units(), 1);
    EXPECT_EQ(Decimal(-1, 30).timesDividedBy(Decimal(1, 0), Decimal(1, 0), 2).units(), 0);
    EXPECT_EQ(Decimal(-2, 0).timesDividedBy(Decimal(1, 0), Decimal(3, 0), 2).units(), -67);
}

TEST(Decimal, SumsScalesAndWholeNumbersAreExactOrRefused) {
    // A sum that fits is exact, though one operand alone leaves 64 bits at the larger scale.
    const Decimal big(1000000000000000000, 0);
    EXPECT_EQ((big + Decimal(-9000000000000000000, 1)).toString(),
              QStringLiteral("100000000000000000.0"));
    EXPECT_EQ((big - Decimal(9000000000000000000, 1)).units(), 1000000000000000000);
    EXPECT_THROW(Decimal(INT64_MAX, 0) + Decimal(1, 38), UsageError);
    EXPECT_THROW(Decimal(INT64_MAX, 0) + Decimal(1, 0), UsageError);
    EXPECT_THROW(Decimal(INT64_MIN, 0) - Decimal(1, 0), UsageError);
    // Scales are 0 to 38, the powers of ten that 128 bits hold.
    EXPECT_THROW(Decimal(50, -1), UsageError);
    EXPECT_THROW(Decimal(1, 39), UsageError);
    EXPECT_THROW(Decimal(1, 0).rescaled(39), UsageError);
    EXPECT_THROW(Decimal(1, 20) * Decimal(1, 19), UsageError);
    EXPECT_EQ((Decimal(3, 20) * Decimal(2, 18)).toString().right(4), QStringLiteral("0006"));
    EXPECT_THROW(Decimal(1, 0).dividedBy(Decimal(3, 0), 1000), UsageError);
    // Read as an int, a whole number past int's range fails instead of being cut.
    bool ok = true;
    EXPECT_EQ(QVariant::fromValue(Decimal(2147483648, 0)).toInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(QVariant::fromValue(Decimal(-21474836495, 1)).toInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(QVariant::fromValue(Decimal(-21474836484, 1)).toInt(&ok), INT_MIN);
    EXPECT_TRUE(ok);
    // Half to even only on a tie; half away from zero for rescaled().
    EXPECT_EQ(Decimal(25, 1).roundedHalfToEven(0).units(), 2);
    EXPECT_EQ(Decimal(-35, 1).roundedHalfToEven(0).units(), -4);
    EXPECT_EQ(Decimal(2501, 3).roundedHalfToEven(0).units(), 3);
    EXPECT_EQ(Decimal(25, 1).rescaled(0).units(), 3);
}

TEST(Decimal, DivisionRoundsHalfAwayFromZeroAtTheScaleAsked) {
    EXPECT_EQ(Decimal(1000, 2).dividedBy(Decimal(3000, 2), 4).toString(), QStringLiteral("0.3333"));
    EXPECT_EQ(Decimal(2, 0).dividedBy(Decimal(3, 0), 2).toString(), QStringLiteral("0.67"));
    EXPECT_EQ(Decimal(-2, 0).dividedBy(Decimal(3, 0), 2).toString(), QStringLiteral("-0.67"));
    EXPECT_EQ(Decimal(1, 0).dividedBy(Decimal(8, 0), 2).toString(), QStringLiteral("0.13"));
    // Products past 64 bits on the way still give the exact quotient.
    const Decimal big(12345678901234567, 4); // 1234567890123.4567
    EXPECT_EQ((big.dividedBy(big, 4)).toString(), QStringLiteral("1.0000"));
    EXPECT_THROW(big.dividedBy(Decimal(0, 2), 2), UsageError);
    // A product or sum past 64 bits is refused, never wrapped round.
    EXPECT_THROW(big * big, UsageError);
    EXPECT_THROW(Decimal(INT64_MAX, 0) + Decimal(1, 0), UsageError);
}

} // namespace
} // namespace vtx::test
