// Records and value types exchanged between the host and its renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Color.h"
#include "EngineNumbering.h"
#include "String.h"
#include "Vector3D.h"

// A display request or description: six 32-bit words.
struct DisplayMode {
    uint32_t adapter;       // adapter ordinal, 0 = primary
    uint32_t width;         // pixels
    uint32_t height;        // pixels
    uint32_t refreshRate;   // Hz, full screen only
    uint32_t bitsPerPixel;  // 8, 15, 16, 24 or 32, full screen only
    bool windowed;          // first byte of the sixth word
    uint8_t reserved[3];
};
static_assert(sizeof(DisplayMode) == 24, "DisplayMode is six 32-bit words");
static_assert(offsetof(DisplayMode, refreshRate) == 12 && offsetof(DisplayMode, bitsPerPixel) == 16,
              "refresh rate and colour depth are the fourth and fifth words");
static_assert(offsetof(DisplayMode, windowed) == 20, "windowed is the sixth word");

// The plug-in is built for 32-bit (x86) and 64-bit (x64) hosts. The records
// below that hold a String (a pointer and a 32-bit length) follow the
// pointer's size; the others are the same on both.
constexpr bool kHost32Bit = sizeof(void*) == 4;
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "x86 or x64 pointers");
static_assert(sizeof(String) == (kHost32Bit ? 8 : 16), "String is a pointer and a 32-bit length");

struct AdapterInfo {
    uint32_t adapter;
    String description;
};
static_assert(offsetof(AdapterInfo, description) == (kHost32Bit ? 4 : 8),
              "the description follows the ordinal, aligned as a pointer");
static_assert(sizeof(AdapterInfo) == (kHost32Bit ? 12 : 24), "AdapterInfo: 12 bytes on x86, 24 on x64");

// One line of text queued for the end of the frame.
struct TextLine {
    String text;
    int32_t x;
    int32_t y;
};
static_assert(offsetof(TextLine, x) == sizeof(String) && offsetof(TextLine, y) == sizeof(String) + 4,
              "x and y follow the text");
static_assert(sizeof(TextLine) == (kHost32Bit ? 16 : 24), "TextLine: 16 bytes on x86, 24 on x64");

// The host's description of one light: seventeen 32-bit words.
struct LightDesc {
    uint32_t type;      // LightType
    uint32_t diffuse;   // packed ARGB
    uint32_t ambient;   // packed ARGB
    uint32_t specular;  // packed ARGB
    float range;
    float falloff;
    float attenuation0;
    float attenuation1;
    float attenuation2;
    float theta;  // inner cone angle, radians
    float phi;    // outer cone angle, radians
    Vector3D position;
    Vector3D direction;
};
static_assert(sizeof(LightDesc) == 17 * 4, "LightDesc is seventeen 32-bit words");
static_assert(offsetof(LightDesc, range) == 4 * 4 && offsetof(LightDesc, phi) == 10 * 4,
              "range to phi are words 4 to 10");
static_assert(offsetof(LightDesc, position) == 11 * 4, "position is words 11 to 13");
static_assert(offsetof(LightDesc, direction) == 14 * 4, "direction is words 14 to 16");

// The engine's vertex: position, normal, diffuse colour and three pairs of
// texture coordinates; flexible vertex format 0x352.
struct Vertex {
    Vertex() : diffuse(0), u0(0), v0(0), u1(0), v1(0), u2(0), v2(0) {}

    Vector3D position;
    Vector3D normal;
    uint32_t diffuse;  // ARGB
    float u0, v0;
    float u1, v1;
    float u2, v2;
};
static_assert(sizeof(Vertex) == 52, "Vertex is 52 bytes");
static_assert(offsetof(Vertex, normal) == 12, "normal at 12");
static_assert(offsetof(Vertex, diffuse) == 24, "diffuse at 24");
static_assert(offsetof(Vertex, u0) == 28, "texture set 0 at 28");
static_assert(offsetof(Vertex, u1) == 36, "texture set 1 at 36");
static_assert(offsetof(Vertex, u2) == 44, "texture set 2 at 44");

constexpr uint32_t kVertexFVF = 0x352;   // XYZ | NORMAL | DIFFUSE | TEX3
constexpr uint32_t kVertexStride = 52;

// A pre-transformed vertex of screen quads and text; flexible vertex format 0x144.
struct ScreenVertex {
    float x, y;  // screen pixels
    float z;
    float rhw;
    uint32_t color;  // ARGB
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "ScreenVertex is 28 bytes");
static_assert(offsetof(ScreenVertex, color) == 16, "colour at 16");
static_assert(offsetof(ScreenVertex, u) == 20, "texture coordinates at 20");

constexpr uint32_t kScreenVertexFVF = 0x144;  // XYZRHW | DIFFUSE | TEX1
constexpr uint32_t kScreenVertexStride = 28;

// Five bytes describing a pixel format's channels, either as class codes
// (0 absent, 1 fewer bits, 2 ordinary, 3 more bits; extra breaks ties) or as
// bit counts (extra = bits that carry no channel).
struct PixelChannels {
    PixelChannels() : red(0), green(0), blue(0), alpha(0), extra(0) {}
    PixelChannels(uint8_t r, uint8_t g, uint8_t b) : red(r), green(g), blue(b), alpha(0), extra(0) {}
    PixelChannels(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
        : red(r), green(g), blue(b), alpha(a), extra(0) {}
    PixelChannels(uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint8_t e)
        : red(r), green(g), blue(b), alpha(a), extra(e) {}

    // As class codes: every channel at most 3, and at most one channel of 3.
    bool IsValid() const {
        if (red > 3 || green > 3 || blue > 3 || alpha > 3) return false;
        return (red == 3) + (green == 3) + (blue == 3) + (alpha == 3) <= 1;
    }

    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;
    uint8_t extra;
};
static_assert(sizeof(PixelChannels) == 5, "PixelChannels is five bytes");
