// The display scenario's log, facts and presented pixels, and the contract
// scenario's facts: each architecture's build as a host of that architecture
// meets it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScenarioOutput.h"
#include "ScenePixels.h"

namespace {

using namespace winesuite;

using WineDisplay = WineTest;
using WineContract = WineTest;

}  // namespace

TEST_F(WineDisplay, AdaptersModesFrameResetSecondModeAndShutdown) {
    const ScenarioOutput output = FinishedCleanly("display");
    ASSERT_GE(output.IntFact("adapters"), 1);
    EXPECT_EQ(output.Fact("adapter.info"), "1");
    // Full-screen modes of a depth the driver knows, the X server's screen
    // among them; one past the end is refused.
    const int modes = output.IntFact("modes");
    bool desktop = false;
    for (int index = 0; index < modes; ++index) {
        const std::string mode = output.Fact("mode." + std::to_string(index));
        EXPECT_TRUE(mode.find(" 32 0") != std::string::npos || mode.find(" 16 0") != std::string::npos)
            << mode;
        desktop = desktop || mode.rfind("1024x768 ", 0) == 0;
    }
    EXPECT_TRUE(desktop);
    EXPECT_EQ(output.Fact("mode." + std::to_string(modes)), "none");

    EXPECT_EQ(output.Fact("display.640.client"), "640x480");
    EXPECT_TRUE(output.Logged("D3D driver - Attempting display switch: Windowed: 1, Width: 640, "
                              "Height 480, BPP: 32"));
    EXPECT_TRUE(output.Logged("Display initialized."));
    EXPECT_TRUE(output.Logged("--- BEGIN STATE DUMP ---"));
    for (const char* fact : {"dumps", "screenshot", "reset", "close", "second", "shutdown", "window.alive"})
        EXPECT_EQ(output.Fact(fact), "1") << fact;
    output.Frame("presented", 0);
    // With the display closed, neither a screenshot nor a reset succeeds.
    EXPECT_EQ(output.Fact("screenshot.closed"), "0");
    EXPECT_EQ(output.Fact("reset.closed"), "0");
    EXPECT_EQ(output.Fact("display.800.client"), "800x600");

    // Arial 12 pt bold at 96 dpi; the text over the clear colour.
    EXPECT_EQ(output.IntFact("font.height"), 17);
    ExpectLinesPrinted(output, "presented", kFrameClear);
    orvhost::Image image;

    // Below the text after the reset, and the corner of the second mode.
    ASSERT_TRUE(output.ReadPicture("after-reset", &image));
    ExpectColourAt(image, {kWidth / 2.0f, kHeight / 2.0f + 40}, Unpacked(PackedColour(kResetClear)),
                   3, "after the reset");
    ASSERT_TRUE(output.ReadPicture("second", &image));
    EXPECT_EQ(image.width, static_cast<int>(kSecondWidth));
    EXPECT_EQ(image.height, static_cast<int>(kSecondHeight));
    ExpectColourAt(image, {kSecondWidth - 5.0f, kSecondHeight - 5.0f},
                   Unpacked(PackedColour(kSecondModeClear)), 3, "second mode");
}

TEST_F(WineContract, ModulesExportsAndOperationsByTableEntry) {
    const ScenarioOutput output = FinishedCleanly("contract");
    const bool x86 = Architecture() == "x86";
    // Programs and libraries of one architecture: IMAGE_FILE_MACHINE_I386 or _AMD64.
    EXPECT_EQ(output.IntFact("pointer.bytes"), x86 ? 4 : 8);
    for (const char* module : {"program", "ORVD3D.dll", "OrvKernel.dll"})
        EXPECT_EQ(output.Fact(std::string("machine.") + module), x86 ? "14c" : "8664") << module;

    // The two exports, by their plain names only.
    EXPECT_EQ(output.Fact("exports.ORVD3D.dll"), "CreatePlugin GetRendererVersion");
    for (const char* fact : {"found.CreatePlugin", "found.GetRendererVersion"})
        EXPECT_EQ(output.Fact(fact), "1") << fact;
    EXPECT_EQ(output.Fact("found.decorated"), "0");
    EXPECT_EQ(output.Fact("version"), "257");

    // Operations called by their entries, with the headers' conventions.
    for (const char* fact : {"raw.validate", "raw.colour", "raw.display", "raw.mode.returned"})
        EXPECT_EQ(output.Fact(fact), "1") << fact;
    EXPECT_EQ(output.Fact("raw.bitdepth"), "32");
    EXPECT_EQ(output.Fact("virtual.bitdepth"), "32");
    EXPECT_EQ(output.Fact("raw.mode"), "640x480 32 bpp 60 Hz adapter 0 windowed 1");
    // On x86 the operations remove their own arguments (__thiscall).
    for (const char* fact : {"stack.ValidateDisplayMode", "stack.SetTextureBitDepth"})
        EXPECT_EQ(output.Fact(fact), x86 ? "0" : "none") << fact;
    output.Frame("presented");
    ExpectLinesPrinted(output, "presented", kFrameClear);
}
