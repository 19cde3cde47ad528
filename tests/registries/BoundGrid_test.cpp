// The grid's column widths: the room a column lacks comes from the widest columns.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "BoundGrid.h"

namespace vtx::test {
namespace {

// The earlier loop, which gave in one step all the widest column could spare down to the next
// widest: kept here only to show the pixel-by-pixel loop gives the same widths.
QList<int> steppedFit(QList<int> widths, const QList<int>& needs) {
    for (int i = 0; i < widths.size(); ++i) {
        int lacking = needs[i] - widths[i];
        while (lacking > 0) {
            int donor = -1;
            int nextWidest = 0;
            for (int j = 0; j < widths.size(); ++j) {
                if (j == i || widths[j] <= needs[j])
                    continue;
                if (donor < 0 || widths[j] > widths[donor]) {
                    if (donor >= 0)
                        nextWidest = std::max(nextWidest, widths[donor]);
                    donor = j;
                } else {
                    nextWidest = std::max(nextWidest, widths[j]);
                }
            }
            if (donor < 0)
                break;
            const int given = std::min(
                {lacking, widths[donor] - needs[donor], std::max(1, widths[donor] - nextWidest)});
            widths[donor] -= given;
            widths[i] += given;
            lacking -= given;
        }
    }
    return widths;
}

TEST(BoundGridWidths, TheWidestGiveAlikeAndTheSumStays) {
    EXPECT_EQ(BoundGrid::fitToNeeds({10, 50, 48, 30}, {20, 0, 0, 0}), (QList<int>{20, 44, 44, 30}));
    // Nothing to spare: the column stays short.
    EXPECT_EQ(BoundGrid::fitToNeeds({10, 30}, {20, 29}), (QList<int>{11, 29}));

    std::mt19937 random(41);
    auto upTo = [&](int most) { return std::uniform_int_distribution<int>(0, most)(random); };
    for (int c = 0; c < 20000; ++c) {
        QList<int> widths, needs;
        for (int n = 1 + upTo(7); n > 0; --n) {
            widths << upTo(200);
            needs << upTo(120);
        }
        ASSERT_EQ(BoundGrid::fitToNeeds(widths, needs), steppedFit(widths, needs)) << "case " << c;
    }
}

} // namespace
} // namespace vtx::test
