#include "ScenarioOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace winesuite {
namespace {

int Channel(unsigned argb, int shift) { return static_cast<int>((argb >> shift) & 0xFF); }

bool Near(unsigned a, unsigned b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    return true;
}

// The lines of a text file the scenario wrote (on Windows: CR LF).
std::vector<std::string> LinesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

ScenarioOutput::ScenarioOutput(const std::string& name)
    : m_Directory(OutputDirectory() + "/" + name), m_LogLines(LinesOf(m_Directory + "/log.txt")) {
    for (const std::string& line : LinesOf(m_Directory + "/facts.txt")) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) m_Facts[line.substr(0, space)] = line.substr(space + 1);
    }
}

std::string ScenarioOutput::Fact(const std::string& key) const {
    auto it = m_Facts.find(key);
    return it == m_Facts.end() ? std::string() : it->second;
}

bool ScenarioOutput::Logged(const std::string& line) const {
    return std::find(m_LogLines.begin(), m_LogLines.end(), line) != m_LogLines.end();
}

std::vector<std::string> ScenarioOutput::FailureLines() const {
    std::vector<std::string> failures;
    for (const std::string& line : m_LogLines) {
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // The state dump names the stencil-fail states; they are not failures.
        if (lower.rfind("renderstate_", 0) == 0) continue;
        if (lower.find("fail") != std::string::npos || lower.find("(hr:") != std::string::npos)
            failures.push_back(line);
    }
    return failures;
}

std::vector<uint8_t> ScenarioOutput::ReadFile(const char* name) const {
    std::ifstream file(m_Directory + "/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

orvhost::Image ScenarioOutput::Frame(const char* name, int triangles) const {
    const std::string key = name;
    EXPECT_EQ(Fact("frames." + key), "1") << name;
    EXPECT_EQ(Fact("captured." + key), "1") << name;
    if (triangles >= 0) {
        EXPECT_EQ(IntFact("triangles." + key), triangles) << name;
    }
    orvhost::Image image;
    EXPECT_TRUE(ReadPicture(name, &image)) << name;
    return image;
}

std::string Architecture() {
    const char* arch = std::getenv("ORV_WINE_ARCH");
    return arch && *arch ? arch : "x64";
}

std::string OutputDirectory() { return std::string(ORV_WINE_OUTPUT_ROOT) + "/" + Architecture(); }

bool WineUnavailable() { return std::ifstream(OutputDirectory() + "/unavailable").good(); }

ScenarioOutput FinishedCleanly(const char* name) {
    ScenarioOutput output(name);
    EXPECT_TRUE(output.Finished()) << name << " did not run to its end";
    EXPECT_EQ(output.FailureLines(), std::vector<std::string>()) << name;
    return output;
}

unsigned PackedColour(const Rgb& colour) {
    const auto byte = [](float value) {
        return static_cast<unsigned>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return 0xFF000000u | byte(colour.r) << 16 | byte(colour.g) << 8 | byte(colour.b);
}

void ExpectLinesPrinted(const ScenarioOutput& output, const char* name, const Rgb& clear) {
    constexpr int kTolerance = 3;
    orvhost::Image image;
    ASSERT_TRUE(output.ReadPicture(name, &image)) << name;
    EXPECT_EQ(image.width, static_cast<int>(kWidth));
    const unsigned expected = PackedColour(clear);
    const int height = output.IntFact("font.height");
    // Each line's box, with a pixel of slack for filtering at the edges.
    struct Box {
        int left, top, right, bottom, width;
        bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    };
    std::vector<Box> boxes;
    for (int i = 0; i < kLineCount; ++i) {
        const int width = output.IntFact("line." + std::to_string(i));
        boxes.push_back({kLines[i].x - 1, kLines[i].y - 1, kLines[i].x + width + 1, kLines[i].y + height + 1, width});
    }
    int strays = 0;
    std::vector<int> light(boxes.size(), 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned pixel = image.At(x, y);
            bool inText = false;
            for (size_t i = 0; i < boxes.size(); ++i) {
                if (!boxes[i].Contains(x, y)) continue;
                inText = true;
                if (std::min({Channel(pixel, 0), Channel(pixel, 8), Channel(pixel, 16)}) >= 200)
                    ++light[i];
            }
            if (!inText && !Near(pixel, expected, kTolerance) && strays++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel
                              << ", not the clear colour " << expected;
        }
    EXPECT_EQ(strays, 0) << "pixels outside the text that are not the clear colour";
    for (size_t i = 0; i < boxes.size(); ++i)
        // Bold glyphs light well over a twentieth of their line's box.
        EXPECT_GE(light[i] * 20, boxes[i].width * height)
            << "too little text in the box of line " << i << " (" << kLines[i].text << ")";
}

}  // namespace winesuite
