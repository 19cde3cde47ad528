// The number text of doubles: whole numbers, shortest digits and the layout of 15 digits.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "InvariantNumber.h"

namespace vtx::test {
namespace {

std::string textOf(double value) {
    const auto text = InvariantNumber::fromDouble(value);
    return text ? std::string(text->view()) : std::string("(none)");
}

/// What "%.15g" writes: the text every double had before the quicker paths.
std::string fifteenDigits(double value) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, r.ptr);
}

TEST(InvariantNumberTest, EdgeValuesKeepTheirText) {
    constexpr double kMax = std::numeric_limits<double>::max();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double value;
        const char* text;
    } cases[] = {
        {"zero", 0.0, "0"},
        {"negative zero", -0.0, "-0"},
        {"one", 1, "1"},
        {"minus one", -1, "-1"},
        {"largest whole below 10^15", 999999999999999.0, "999999999999999"},
        {"its negative", -999999999999999.0, "-999999999999999"},
        {"10^15", 1e15, "1e+15"},
        {"10^15 + 1", 1e15 + 1, "1e+15"},
        {"2^53", 9007199254740992.0, "9.00719925474099e+15"},
        {"10^20", 1e20, "1e+20"},
        {"whole with 16 digits", 1234567890123456.0, "1.23456789012346e+15"},
        {"half below 10^15", 999999999999999.5, "1e+15"},
        {"16 digits below 10^15", 123456789012345.6, "123456789012346"},
        {"half to even below 10^15", 1e14 + 0.5, "100000000000000"},
        {"tenth", 0.1, "0.1"},
        {"0.1 + 0.2", 0.1 + 0.2, "0.3"},
        {"third", 1.0 / 3, "0.333333333333333"},
        {"two thirds", 2.0 / 3, "0.666666666666667"},
        {"amount", 1234.56, "1234.56"},
        {"negative amount", -0.07, "-0.07"},
        {"10^-4", 1e-4, "0.0001"},
        {"just below 10^-4", 0.000099999, "9.9999e-05"},
        {"10^-5", 1e-5, "1e-05"},
        {"three exponent digits", 1.5e-300, "1.5e-300"},
        {"14 decimals", 0.12345678901234, "0.12345678901234"},
        {"15 significant digits", 1.23456789012345, "1.23456789012345"},
        {"17 significant digits", 1.2345678901234567, "1.23456789012346"},
        {"rounds up to 10^15", 999999999999999.9, "1e+15"},
        {"rounds up to 10^-4", 9.9999999999999999e-5, "0.0001"},
        {"largest double", kMax, "1.79769313486232e+308"},
        {"smallest normal", std::numeric_limits<double>::min(), "2.2250738585072e-308"},
        {"smallest subnormal", std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"},
        {"subnormal", 1e-310, "9.99999999999997e-311"},
        {"infinity", kInf, "(none)"},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), "(none)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textOf(c.value), c.text) << c.name;
}

// Whole numbers, amounts of two decimals, and any bits at all, against the 15-digit text.
TEST(InvariantNumberTest, EveryKindOfDoubleKeepsTheFifteenDigitText) {
    std::mt19937_64 random(20261209);
    std::uniform_int_distribution<long long> whole(-999999999999999LL, 999999999999999LL);
    std::uniform_int_distribution<int> scale(0, 18);
    for (int i = 0; i < 200000; ++i) {
        const long long units = whole(random) >> scale(random);
        std::uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        for (double value : {double(units), units / 100.0, units / 1e4, units / 1e6, any}) {
            if (!std::isfinite(value))
                continue;
            ASSERT_EQ(textOf(value), fifteenDigits(value)) << value;
        }
    }
}

} // namespace
} // namespace vtx::test
