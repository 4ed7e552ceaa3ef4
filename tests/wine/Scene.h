// The scenes of WineSuite.h as the host draws them (vertices, buffers, the
// projection) and as the checks find them on the screen: points well inside
// and outside a triangle, channel arithmetic, pixel comparisons with a
// tolerance.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "WineSuite.h"
#include "host/RenderDevice.h"
#include "host/VertexBuffer.h"
#include "orvhostImage.h"

namespace winesuite {

constexpr int kTolerance = 3;  // Mesa's software rasteriser rounds

// A screen point as a vertex of the orthographic projection (origin in the
// middle, y up), facing the viewer (its normal points to -z).
inline Vertex ToVertex(ScreenPoint point, float z, unsigned colour) {
    Vertex vertex;
    vertex.position = Vector3D(point.x - kWidth / 2.0f, kHeight / 2.0f - point.y, z);
    vertex.normal = Vector3D(0.0f, 0.0f, -1.0f);
    vertex.diffuse = colour;
    return vertex;
}
inline std::vector<Vertex> ToVertices(const ScreenPoint* points, size_t count, unsigned colour) {
    std::vector<Vertex> vertices;
    for (size_t i = 0; i < count; ++i) vertices.push_back(ToVertex(points[i], kNear, colour));
    return vertices;
}
inline std::vector<Vertex> ToVertices(const SceneTriangle* triangles, size_t count = 1) {
    std::vector<Vertex> vertices;
    for (size_t i = 0; i < count; ++i)
        for (const ScreenPoint& point : triangles[i].p)
            vertices.push_back(ToVertex(point, triangles[i].z, triangles[i].colour));
    return vertices;
}

// A vertex buffer holding `vertices`, uploaded; null when any step failed.
inline VertexBuffer* MakeBuffer(RenderDevice* device, const std::vector<Vertex>& vertices, bool dynamic = false) {
    VertexBuffer* buffer = device->CreateVertexBuffer(static_cast<unsigned>(vertices.size()), dynamic, false);
    if (!buffer) return nullptr;
    std::copy(vertices.begin(), vertices.end(), buffer->GetVertices());
    if (!buffer->Upload()) {
        device->DestroyVertexBuffer(buffer);
        return nullptr;
    }
    return buffer;
}

// The orthographic projection of the whole client area, world and view the
// identity.
inline void SetOrthographic(RenderDevice* device) {
    const Matrix3D projection = device->BuildOrthoMatrix(static_cast<float>(kWidth), static_cast<float>(kHeight));
    device->SetProjectionMatrix(&projection);
    const Matrix3D identity;
    device->SetWorldMatrix(&identity);
    device->SetViewMatrix(&identity);
}

inline RECT ToRect(const QuadRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

inline ScreenPoint Centroid(const SceneTriangle& t) {
    return {(t.p[0].x + t.p[1].x + t.p[2].x) / 3.0f, (t.p[0].y + t.p[1].y + t.p[2].y) / 3.0f};
}

// For each corner, a point `distance` pixels beyond it, away from the centroid.
inline std::vector<ScreenPoint> BeyondCorners(const SceneTriangle& triangle, float distance) {
    const ScreenPoint centre = Centroid(triangle);
    std::vector<ScreenPoint> points;
    for (const ScreenPoint& corner : triangle.p) {
        const float dx = corner.x - centre.x, dy = corner.y - centre.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        points.push_back({corner.x + dx / length * distance, corner.y + dy / length * distance});
    }
    return points;
}

inline int Channel(unsigned argb, int shift) { return static_cast<int>((argb >> shift) & 0xFF); }

inline bool Near(unsigned a, unsigned b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    return true;
}

// The packed colour the frames clear to, computed from its components.
inline unsigned PackedColour(const Rgb& colour) {
    const auto byte = [](float value) {
        return static_cast<unsigned>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return 0xFF000000u | byte(colour.r) << 16 | byte(colour.g) << 8 | byte(colour.b);
}

// Colours as floats 0 to 1, red, green, blue, alpha.
struct Rgba {
    float r, g, b, a;
};
inline Rgba Unpacked(unsigned argb) {
    return {Channel(argb, 16) / 255.0f, Channel(argb, 8) / 255.0f, Channel(argb, 0) / 255.0f,
            (argb >> 24) / 255.0f};
}
inline Rgba Opaque(unsigned argb) { return Unpacked(argb | 0xFF000000u); }

// What the driver's ToD3DColor makes of the clear colour (truncation), unpacked.
inline Rgba ClearColourOf(const Rgb& clear) {
    const auto channel = [](float value) { return std::trunc(value * 255.0f) / 255.0f; };
    return {channel(clear.r), channel(clear.g), channel(clear.b), 1.0f};
}

// source × source alpha + destination × (1 − source alpha).
inline Rgba AlphaBlended(const Rgba& s, const Rgba& d) {
    return {s.r * s.a + d.r * (1.0f - s.a), s.g * s.a + d.g * (1.0f - s.a), s.b * s.a + d.b * (1.0f - s.a),
            s.a * s.a + d.a * (1.0f - s.a)};
}

// Clamped to 1.
inline Rgba Scaled(const Rgba& c, float factor) {
    return {std::min(1.0f, c.r * factor), std::min(1.0f, c.g * factor), std::min(1.0f, c.b * factor),
            std::min(1.0f, c.a * factor)};
}

// The pixel nearest `point` is `expected` within `tolerance` per channel (of 255).
inline void ExpectColourAt(const orvhost::Image& image, ScreenPoint point, const Rgba& expected,
                           const std::string& what, int tolerance = kTolerance) {
    const int x = static_cast<int>(std::floor(point.x)), y = static_cast<int>(std::floor(point.y));
    ASSERT_TRUE(x >= 0 && y >= 0 && x < image.width && y < image.height)
        << what << ": (" << x << ", " << y << ") is off the picture";
    const float channels[] = {expected.r, expected.g, expected.b};
    const char* names[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        const int actual = Channel(image.At(x, y), 16 - 8 * c);
        const int wanted = static_cast<int>(std::lround(channels[c] * 255.0f));
        EXPECT_LE(std::abs(actual - wanted), tolerance) << what << " at (" << x << ", " << y << "): " << names[c]
                                                        << " is " << actual << ", expected " << wanted;
    }
}

}  // namespace winesuite
