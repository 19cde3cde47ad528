// Number formatting of the PDF writer, under the Brazilian locale of the test program.
#include <clocale>

#include <gtest/gtest.h>

#include "PdfNumber.h"

using namespace vtx::pdf;

TEST(PdfNumber, FixedDecimalsUseAPointAndRoundHalvesAwayFromZero) {
    ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "the tests run under pt_BR";
    EXPECT_EQ(fixed(801.89, 2), "801.89");
    EXPECT_EQ(fixed(15, 2), "15.00");
    EXPECT_EQ(fixed(0.125, 2), "0.13");
    EXPECT_EQ(fixed(-0.125, 2), "-0.13");
    EXPECT_EQ(fixed(128 / 255.0, 3), "0.502");
    EXPECT_EQ(fixed(-0.001, 2), "0.00");
    EXPECT_EQ(fixed(-809.886, 2), "-809.89");
    EXPECT_EQ(fixed(0.70710678, 5), "0.70711");
    EXPECT_EQ(fixed(12.4, 0), "12.");
    EXPECT_EQ(fixed(2.5, 0), "3.");
    EXPECT_EQ(fixed(-2.5, 0), "-3.");
    EXPECT_EQ(fixed(0.49999999999999994, 0), "0.");
    EXPECT_EQ(fixed(-1234567.891, 8), "-1234567.89100000");
    EXPECT_EQ(fixed(1e17, 2), "100000000000000000.00");
}

TEST(PdfNumber, ShortestAndPaddedForms) {
    EXPECT_EQ(shortest(595.28), "595.28");
    EXPECT_EQ(shortest(842), "842");
    EXPECT_EQ(shortest(1190.55), "1190.55");
    EXPECT_EQ(shortest(841.89 - 40), "801.89");
    EXPECT_EQ(shortest(-0.0000001), "0");
    EXPECT_EQ(padOffset(10), "0000000010");
    EXPECT_EQ(roundEven(2.5), 2);
    EXPECT_EQ(roundEven(3.5), 4);
    EXPECT_EQ(roundEven(1190.55), 1191);
}
