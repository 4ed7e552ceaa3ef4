// The numbers several checks of the Wine suite share.
#pragma once

namespace winesuite {

struct Rgb {
    float r, g, b;
};

constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 480;

constexpr Rgb kFrameClear = {0.25f, 0.5f, 0.75f};
constexpr Rgb kGeometryClear = {0.2f, 0.3f, 0.4f};

struct PrintedLine {
    int x, y;
    const char* text;
};
constexpr PrintedLine kLines[] = {
    {10, 10, "Wine suite: first line"},
    {40, 200, "MMMMMMMMMM"},
    {300, 400, "per cent 100% drawn"},
};

// Scenes in screen pixels, drawn through an orthographic projection of the
// client area; triangles clockwise on the screen unless named "Back".
struct ScreenPoint {
    float x, y;
};
struct SceneTriangle {
    ScreenPoint p[3];
    float z;
    unsigned colour;
};
constexpr float kNear = 10.0f;
// A right triangle at (x, y), legs going right and down.
constexpr SceneTriangle Triangle(float x, float y, float size, unsigned colour, float z = kNear) {
    return {{{x, y}, {x + size, y}, {x, y + size}}, z, colour};
}
constexpr SceneTriangle BackTriangle(float x, float y, float size, unsigned colour) {
    return {{{x, y}, {x, y + size}, {x + size, y}}, kNear, colour};
}

struct QuadRect {
    int left, top, right, bottom;
};

}  // namespace winesuite
