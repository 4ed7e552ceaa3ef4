// What one scenario of the Wine suite left behind, read back on Linux: its
// facts, the kernel's log lines and its pictures.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "WineSuite.h"
#include "orvhostImage.h"

namespace winesuite {

class ScenarioOutput {
public:
    explicit ScenarioOutput(const std::string& name);

    bool Finished() const { return Fact("finished") == "1"; }
    std::string Fact(const std::string& key) const;
    int IntFact(const std::string& key) const { return std::atoi(Fact(key).c_str()); }
    // Each fact has its value.
    void ExpectFacts(const std::vector<std::pair<std::string, std::string>>& facts) const {
        for (const auto& [key, value] : facts) EXPECT_EQ(Fact(key), value) << key;
    }
    bool Logged(const std::string& line) const;
    std::vector<std::string> FailureLines() const;
    bool ReadPicture(const char* name, orvhost::Image* image) const {
        return orvhost::ReadBitmap(m_Directory + "/" + name + ".bmp", image);
    }
    // The bytes of a file the scenario wrote (empty when it is missing).
    std::vector<uint8_t> ReadFile(const char* name) const;
    // The picture NAME of a frame whose facts frames.NAME and captured.NAME
    // are 1 and, unless `triangles` is negative, triangles.NAME is `triangles`.
    orvhost::Image Frame(const char* name, int triangles = -1) const;

private:
    std::string m_Directory;
    std::map<std::string, std::string> m_Facts;
    std::vector<std::string> m_LogLines;
};

// The Windows build whose output is checked, "x64" or "x86": ORV_WINE_ARCH,
// x64 when it is not set; its scenarios' output is in OutputDirectory().
std::string Architecture();
std::string OutputDirectory();

// True when the suite could not run here (no Wine, or not its 32-bit part
// for x86); tests then skip.
bool WineUnavailable();

class WineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (WineUnavailable()) GTEST_SKIP() << "Wine cannot run the " << Architecture() << " build here";
    }
};

// A scenario's output, expected to have run to its end with no failure logged.
ScenarioOutput FinishedCleanly(const char* name);

// The packed colour the scenarios clear to, computed from its components.
unsigned PackedColour(const Rgb& colour);

// Checks the picture NAME of a frame that printed kLines over `clear`: every
// pixel outside the lines' boxes (their extents from the facts font.height
// and line.N) is the clear colour, and each box holds light pixels of text.
void ExpectLinesPrinted(const ScenarioOutput& output, const char* name, const Rgb& clear);

}  // namespace winesuite
