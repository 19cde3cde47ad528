// The 96-bit scaled decimal: exact reading, rounding past 28 places, overflow and equality.
#include <gtest/gtest.h>

#include "Decimal96.h"

namespace vtx {
namespace {

std::string roundTrip(const char* text) {
    const std::optional<Decimal96> d = Decimal96::parse(text);
    return d ? d->toString().toStdString() : "none";
}

TEST(Decimal96Test, ReadsExactlyAndWritesWithoutTrailingZeros) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.1", "0.1"},
        {"-12.50", "-12.5"},
        {"007", "7"},
        {"-0", "0"},
        {"1e2", "100"},
        {"1.5e-3", "0.0015"},
        {"250e-2", "2.5"},
        {"79228162514264337593543950335", "79228162514264337593543950335"},
        {"7922816251426433759354395033.5", "7922816251426433759354395033.5"},
        {"0.12345678901234567890123456789", "0.1234567890123456789012345679"},
        {"5e-29", "0.0000000000000000000000000001"},
        {"4e-29", "0"},
        {"1.00000000000000000000000000000000000001", "1"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(roundTrip(in), out) << in;
    const std::optional<Decimal96> tenth = Decimal96::parse("0.1");
    ASSERT_TRUE(tenth);
    EXPECT_EQ(tenth->mantissa(), Decimal96::Wide(1));
    EXPECT_EQ(tenth->scale(), 1);
}

TEST(Decimal96Test, RefusesOverflowAndText) {
    for (const char* in :
         {"79228162514264337593543950336", "1e29", "79228162514264337593543950335.5", "", "-", ".",
          "1e", "1e5-3", "1.2.3", "1 ", "0x10", "1e-"})
        EXPECT_EQ(roundTrip(in), "none") << in;
    EXPECT_FALSE(Decimal96::fromParts(Decimal96::Wide(1) << 96, 0, false));
    EXPECT_FALSE(Decimal96::fromParts(1, 29, false));
}

TEST(Decimal96Test, EqualValuesAreEqualWhateverTheScale) {
    EXPECT_EQ(*Decimal96::parse("1.50"), *Decimal96::parse("1.5"));
    EXPECT_EQ(*Decimal96::parse("-0.00"), *Decimal96::parse("0"));
    EXPECT_FALSE(*Decimal96::parse("1") == *Decimal96::parse("-1"));
    EXPECT_FALSE(*Decimal96::parse("0.1") == *Decimal96::parse("0.01"));
}

} // namespace
} // namespace vtx
