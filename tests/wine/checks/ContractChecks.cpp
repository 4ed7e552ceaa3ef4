// The contract scenario's facts: each architecture's build as a host of that
// architecture meets it.
#include <gtest/gtest.h>

#include <string>

#include "ScenarioOutput.h"

namespace {

using namespace winesuite;

class WineContract : public WineTest {};

}  // namespace

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
