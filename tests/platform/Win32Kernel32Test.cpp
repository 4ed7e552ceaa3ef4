#include <gtest/gtest.h>
#include <orv/PlatformControl.h>

#include <climits>

TEST(Win32Kernel32, MulDivRoundsHalfAwayFromZeroAndReportsOverflow) {
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {10, 3, 4, 8},            // 7.5 rounds up
        {-10, 3, 4, -8},          // -7.5 rounds away from zero
        {-10, -3, -4, -8},
        {5, 1, 3, 2},             // 1.67
        {4, 1, 3, 1},             // 1.33
        {12, 96, 72, 16},         // a point size at 96 dots per inch
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},  // the 64-bit intermediate
        {INT_MAX, 2, 1, -1},      // overflow
        {INT_MIN, 1, 1, INT_MIN},
        {INT_MIN, -1, 1, -1},     // overflow
        {7, 7, 0, -1},            // zero denominator
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " * " << c.numerator << " / " << c.denominator);
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected);
    }
}

TEST(Win32Kernel32, InjectedMulDivFailureAnswersMinusOne) {
    orvplatform::ResetAll();
    orvplatform::FailNthCall("MulDiv", 2, static_cast<HRESULT>(0x80070008));
    EXPECT_EQ(MulDiv(2, 3, 1), 6);
    EXPECT_EQ(MulDiv(2, 3, 1), -1);
    EXPECT_EQ(GetLastError(), 8u);
    EXPECT_EQ(MulDiv(2, 3, 1), 6);
    EXPECT_EQ(orvplatform::CountOf("MulDiv"), 3u);
}
