// Checks of the geometry scenarios: screen quads and vertex buffers as the
// real runtime drew them, pixel by pixel at points computed from the scenes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ScenarioOutput.h"
#include "ScenePixels.h"

namespace {

using namespace winesuite;

class WineGeometry : public WineTest {};

// Mesa rasterises in software; colours may differ by rounding.
constexpr int kTolerance = 3;
// Points this far inside or outside an edge are clear of edge rules.
constexpr float kMargin = 4.0f;

std::vector<ScreenPoint> InsideCorners(const QuadRect& r) {
    return {{r.left + kMargin, r.top + kMargin}, {r.right - kMargin, r.top + kMargin},
            {r.right - kMargin, r.bottom - kMargin}, {r.left + kMargin, r.bottom - kMargin}};
}

std::vector<ScreenPoint> OutsideCorners(const QuadRect& r) {
    return {{r.left - kMargin, r.top - kMargin}, {r.right + kMargin, r.top - kMargin},
            {r.right + kMargin, r.bottom + kMargin}, {r.left - kMargin, r.bottom + kMargin}};
}

// The triangle's colour at its centroid and the clear colour beyond its corners.
void ExpectTriangle(const orvhost::Image& image, const ScreenTriangle& triangle,
                    const Rgba& colour, const std::string& what) {
    ExpectColourAt(image, Centroid(triangle), colour, kTolerance, what + " centroid");
    for (const ScreenPoint& point : BeyondCorners(triangle, 2 * kMargin))
        ExpectColourAt(image, point, ClearColourOf(kGeometryClear), kTolerance,
                       what + " beyond a corner");
}

orvhost::Image Picture(const ScenarioOutput& output, const char* name) {
    orvhost::Image image;
    EXPECT_EQ(output.Fact(std::string("captured.") + name), "1") << name;
    EXPECT_TRUE(output.ReadPicture(name, &image)) << name;
    return image;
}

}  // namespace

TEST_F(WineGeometry, ScreenQuadsCoverTheirRectanglesAndBlendByTheirAlpha) {
    const ScenarioOutput output = FinishedCleanly("screen_quads");
    ASSERT_EQ(output.Fact("quads.made"), "1");
    EXPECT_EQ(output.Fact("frames"), "1");
    EXPECT_EQ(output.Fact("triangles"), "0") << "quads add nothing to the triangle count";
    orvhost::Image image;
    ASSERT_EQ(output.Fact("captured"), "1");
    ASSERT_TRUE(output.ReadPicture("quads", &image));

    const Rgba clear = ClearColourOf(kGeometryClear);
    const Rgba opaque = Unpacked(kOpaqueQuadColour);
    // Stage 0 modulates texture and diffuse with no texture bound; the result
    // is blended over the frame by source alpha and inverse source alpha.
    const Rgba half = AlphaBlended(Unpacked(kHalfQuadColour), clear);
    for (const ScreenPoint& point : InsideCorners(kOpaqueQuad))
        ExpectColourAt(image, point, opaque, kTolerance, "inside the opaque quad");
    for (const ScreenPoint& point : OutsideCorners(kOpaqueQuad))
        ExpectColourAt(image, point, clear, kTolerance, "outside the opaque quad");
    const std::vector<ScreenPoint> halfInside = InsideCorners(kHalfQuad);
    for (size_t corner : {0, 1, 3})  // the bottom-right one lies under the second opaque quad
        ExpectColourAt(image, halfInside[corner], half, kTolerance, "inside the blended quad");
    ExpectColourAt(image, {kOverlapQuad.left + 2 * kMargin, kOverlapQuad.top + 2 * kMargin},
                   opaque, kTolerance, "an opaque quad over the blended one");
    ExpectColourAt(image, {kOverlapQuad.right - kMargin, kOverlapQuad.bottom - kMargin}, opaque,
                   kTolerance, "the opaque quad beside the blended one");
}

TEST_F(WineGeometry, GetRectTruncatesTowardsZeroAndKeepsUnnormalisedRectangles) {
    const ScenarioOutput output = FinishedCleanly("screen_quads");
    int index = 0;
    for (const FractionalCorner& corner : kFractionalRects) {
        const std::string expected = std::to_string(static_cast<int>(corner.x0)) + " " +
                                     std::to_string(static_cast<int>(corner.y0)) + " " +
                                     std::to_string(static_cast<int>(corner.x1)) + " " +
                                     std::to_string(static_cast<int>(corner.y2));
        EXPECT_EQ(output.Fact("rect.fractional." + std::to_string(index++)), expected);
    }
    EXPECT_EQ(output.Fact("rect.unnormalised"), "200 100 50 20");
}

TEST_F(WineGeometry, VertexBuffersDrawThroughTheOrthographicProjection) {
    const ScenarioOutput output = FinishedCleanly("vertex_buffers");
    ASSERT_EQ(output.Fact("buffers.made"), "1");
    EXPECT_EQ(output.Fact("buffers.dynamic.count"), "3");
    EXPECT_EQ(output.Fact("frames.ortho"), "1");
    // Lists and strips count, the fan does not, the array's list does.
    EXPECT_EQ(output.IntFact("triangles.ortho"), static_cast<int>(kVertexBufferTriangles));
    const orvhost::Image image = Picture(output, "ortho");
    ASSERT_GT(image.width, 0);

    // Unlit, opaque: each triangle shows its vertices' colour.
    ExpectTriangle(image, OrthoOf(kStaticTriangles[0]), Unpacked(kStaticTriangles[0].v[0].colour),
                   "first static triangle");
    ExpectTriangle(image, OrthoOf(kStaticTriangles[1]), Unpacked(kStaticTriangles[1].v[0].colour),
                   "second static triangle");
    ExpectTriangle(image, OrthoOf(kDynamicTriangle), Unpacked(kDynamicTriangle.v[0].colour),
                   "dynamic triangle");
    // The strip's and the fan's two triangles cover their rectangles.
    for (const SceneVertex* corners : {kStrip, kFan}) {
        const ScreenTriangle first = OrthoOf({{corners[0], corners[1], corners[2]}});
        const ScreenTriangle second = OrthoOf({{corners[1], corners[2], corners[3]}});
        const std::string what = corners == kStrip ? "strip" : "fan";
        for (const ScreenTriangle& half : {first, second})
            ExpectColourAt(image, Centroid(half), Unpacked(corners[0].colour), kTolerance, what);
    }
    ExpectTriangle(image, OrthoOf(kArrayTriangle), Unpacked(kArrayTriangle.v[0].colour),
                   "triangle from the host's array");
    // Drawn from the buffer bound before two array draws and a quad: the
    // driver put stream 0 back after each.
    ExpectTriangle(image, OrthoOf(kBoundTriangle), Unpacked(kBoundTriangle.v[0].colour),
                   "triangle from the buffer bound before the array draws");
    ExpectColourAt(image, {(kBetweenQuad.left + kBetweenQuad.right) / 2.0f,
                           (kBetweenQuad.top + kBetweenQuad.bottom) / 2.0f},
                   Unpacked(kBetweenQuadColour), kTolerance, "quad between");
}

TEST_F(WineGeometry, VertexBuffersDrawThroughThePerspectiveProjection) {
    const ScenarioOutput output = FinishedCleanly("vertex_buffers");
    EXPECT_EQ(output.Fact("frames.perspective"), "1");
    EXPECT_EQ(output.Fact("triangles.perspective"), "2");
    const orvhost::Image image = Picture(output, "perspective");
    ASSERT_GT(image.width, 0);
    for (const SceneTriangle& triangle : kPerspectiveTriangles)
        ExpectTriangle(image, PerspectiveOf(triangle, kFieldOfView),
                       Unpacked(triangle.v[0].colour), "perspective triangle");
}

TEST_F(WineGeometry, IndexBuffersAreMadeUploadedAndBound) {
    const ScenarioOutput output = FinishedCleanly("vertex_buffers");
    const char* counts[] = {"6", "3"};  // static, dynamic
    for (int i = 0; i < 2; ++i) {
        const std::string key = "indices." + std::to_string(i);
        EXPECT_EQ(output.Fact(key + ".made"), "1") << key;
        EXPECT_EQ(output.Fact(key + ".count"), counts[i]) << key;
        EXPECT_EQ(output.Fact(key + ".uploaded"), "1") << key;
        EXPECT_EQ(output.Fact(key + ".bound"), "1") << key;
    }
    EXPECT_EQ(output.Fact("indices.unbound"), "1");
}
