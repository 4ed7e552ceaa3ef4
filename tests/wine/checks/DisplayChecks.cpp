// Checks of the display scenarios: what the plug-in reported, logged and
// presented on the real runtime.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScenarioOutput.h"

namespace {

using winesuite::FinishedCleanly;
using winesuite::ScenarioOutput;

class WineDisplay : public winesuite::WineTest {};

std::string Size(unsigned width, unsigned height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

TEST_F(WineDisplay, AdaptersReportTheDesktopModes) {
    const ScenarioOutput output = FinishedCleanly("adapters");
    ASSERT_GE(output.IntFact("adapters"), 1);
    EXPECT_EQ(output.Fact("adapter.0.info"), "1");
    EXPECT_NE(output.Fact("adapter.0.description"), "");
    const int modes = output.IntFact("adapter.0.modes");
    ASSERT_GE(modes, 1);
    // Every listed mode has a colour depth the driver knows; one past the end
    // is refused.
    bool desktop = false;
    for (int index = 0; index < modes; ++index) {
        const std::string mode = output.Fact("adapter.0.mode." + std::to_string(index));
        SCOPED_TRACE(mode);
        EXPECT_TRUE(mode.find(" 32 ") != std::string::npos ||
                    mode.find(" 16 ") != std::string::npos);
        EXPECT_EQ(mode.substr(mode.size() - 2), " 0") << "modes are full-screen ones";
        desktop = desktop || mode.rfind("1024x768 ", 0) == 0;
    }
    EXPECT_TRUE(desktop) << "the X server's 1024 x 768 screen is among the modes";
    EXPECT_EQ(output.Fact("adapter.0.mode." + std::to_string(modes)), "none");
}

TEST_F(WineDisplay, FrameShowsTheTextOnTheClearColourInTheRequestedClientArea) {
    const ScenarioOutput output = FinishedCleanly("frame");
    EXPECT_EQ(output.Fact("display.640x480.set"), "1");
    EXPECT_EQ(output.Fact("display.640x480.client"), Size(winesuite::kWidth, winesuite::kHeight));
    EXPECT_TRUE(output.Logged("D3D driver - Attempting display switch: Windowed: 1, Width: 640, "
                              "Height 480, BPP: 32"));
    EXPECT_TRUE(output.Logged("Display initialized."));
    EXPECT_EQ(output.Fact("frames"), "1");
    EXPECT_EQ(output.Fact("triangles"), "0");

    // Arial 12 pt bold at 96 dpi.
    ASSERT_EQ(output.Fact("font.made"), "1");
    const int height = output.IntFact("font.height");
    EXPECT_EQ(height, 17);
    std::vector<int> widths;
    for (int i = 0; i < winesuite::kLineCount; ++i) {
        widths.push_back(output.IntFact("line." + std::to_string(i) + ".width"));
        EXPECT_GT(widths.back(), 0);
    }

    ASSERT_EQ(output.Fact("captured"), "1");
    orvhost::Image presented;
    ASSERT_TRUE(output.ReadPicture("presented", &presented));
    EXPECT_EQ(presented.width, static_cast<int>(winesuite::kWidth));
    EXPECT_EQ(presented.height, static_cast<int>(winesuite::kHeight));
    winesuite::ExpectClearColourWithText(presented, winesuite::kFrameClear, widths, height, 3);
}

TEST_F(WineDisplay, DumpsAndScreenshotSucceed) {
    const ScenarioOutput output = FinishedCleanly("frame");
    EXPECT_EQ(output.Fact("dump.render"), "1");
    EXPECT_EQ(output.Fact("dump.stage0"), "1");
    EXPECT_TRUE(output.Logged("--- BEGIN STATE DUMP ---"));
    // The runtime's front-buffer copy answers success; its pixels are the
    // display mode's size (what they show depends on the OpenGL driver).
    EXPECT_EQ(output.Fact("screenshot"), "1");
    orvhost::Image shot;
    ASSERT_TRUE(output.ReadPicture("screenshot", &shot));
    EXPECT_EQ(shot.width, static_cast<int>(winesuite::kWidth));
    EXPECT_EQ(shot.height, static_cast<int>(winesuite::kHeight));
}

TEST_F(WineDisplay, ResetDeviceKeepsDrawing) {
    const ScenarioOutput output = FinishedCleanly("reset");
    EXPECT_EQ(output.Fact("frames.before"), "1");
    EXPECT_EQ(output.Fact("reset"), "1");
    EXPECT_EQ(output.Fact("frames.after"), "1");
    orvhost::Image presented;
    ASSERT_TRUE(output.ReadPicture("after-reset", &presented));
    // The first line's box stays clear of the check; the middle of the
    // window shows the colour cleared after the reset.
    const unsigned expected = winesuite::PackedColour(winesuite::kResetClear);
    const unsigned centre = presented.At(presented.width / 2, presented.height / 2 + 40);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(static_cast<int>((centre >> shift) & 0xFF),
                    static_cast<int>((expected >> shift) & 0xFF), 3);
}

TEST_F(WineDisplay, CloseDisplayThenASecondModeOfAnotherSize) {
    const ScenarioOutput output = FinishedCleanly("second_mode");
    EXPECT_EQ(output.Fact("close"), "1");
    EXPECT_EQ(output.Fact("screenshot.closed"), "0");
    EXPECT_EQ(output.Fact("reset.closed"), "0");
    EXPECT_EQ(output.Fact("display.800x600.set"), "1");
    EXPECT_EQ(output.Fact("display.800x600.client"),
              Size(winesuite::kSecondWidth, winesuite::kSecondHeight));
    EXPECT_EQ(output.Fact("frames.second"), "1");
    orvhost::Image presented;
    ASSERT_TRUE(output.ReadPicture("second", &presented));
    EXPECT_EQ(presented.width, static_cast<int>(winesuite::kSecondWidth));
    EXPECT_EQ(presented.height, static_cast<int>(winesuite::kSecondHeight));
    const unsigned expected = winesuite::PackedColour(winesuite::kSecondModeClear);
    // The bottom-right corner lies outside every printed line.
    const unsigned corner = presented.At(presented.width - 5, presented.height - 5);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(static_cast<int>((corner >> shift) & 0xFF),
                    static_cast<int>((expected >> shift) & 0xFF), 3);
}

TEST_F(WineDisplay, ShutdownReleasesTheDeviceAndLeavesTheHostWindow) {
    const ScenarioOutput output = FinishedCleanly("shutdown");
    EXPECT_EQ(output.Fact("frames"), "1");
    EXPECT_EQ(output.Fact("shutdown.first"), "1");
    EXPECT_EQ(output.Fact("shutdown.second"), "1");
    EXPECT_EQ(output.Fact("window.alive"), "1");
}
