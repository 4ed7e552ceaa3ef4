// A colour as four floats, nominally 0 to 1.
#pragma once

class Color {
public:
    Color() : r(0.0f), g(0.0f), b(0.0f), a(1.0f) {}
    Color(float red, float green, float blue, float alpha) : r(red), g(green), b(blue), a(alpha) {}

    float r;
    float g;
    float b;
    float a;
};

static_assert(sizeof(Color) == 16, "Color is four floats");
