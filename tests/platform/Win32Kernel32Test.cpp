#include <gtest/gtest.h>
#include <orv/PlatformControl.h>

#include <climits>

// GDI's font heights round through MulDiv: half away from zero, with a 64-bit
// intermediate, and -1 on overflow.
TEST(Win32Kernel32, MulDivRoundsHalfAwayFromZeroAndReportsOverflow) {
    const struct {
        int number, numerator, denominator, expected;
    } cases[] = {
        {10, 3, 4, 8},     {-10, 3, 4, -8},   {12, 96, 72, 16},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {INT_MAX, 2, 1, -1}, {7, 7, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}
