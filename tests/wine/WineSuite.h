// What the scenarios (Windows side) and the checks (Linux side) of the Wine
// suite agree on: scenario names, the display they ask for, the colours they
// clear to and where they print. Both sides include this file, so the checks
// compute their expectations from the same numbers the scenarios used.
#pragma once

namespace winesuite {

struct Rgb {
    float r, g, b;
};

constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 480;
constexpr unsigned kSecondWidth = 800;
constexpr unsigned kSecondHeight = 600;

constexpr Rgb kFrameClear = {0.25f, 0.5f, 0.75f};
constexpr Rgb kResetClear = {0.6f, 0.2f, 0.1f};
constexpr Rgb kSecondModeClear = {0.1f, 0.4f, 0.2f};

struct PrintedLine {
    int x, y;
    const char* text;
};
constexpr PrintedLine kLines[] = {
    {10, 10, "Wine suite: first line"},
    {40, 200, "MMMMMMMMMM"},
    {300, 400, "per cent 100% drawn"},
};
constexpr int kLineCount = sizeof kLines / sizeof kLines[0];

}  // namespace winesuite
