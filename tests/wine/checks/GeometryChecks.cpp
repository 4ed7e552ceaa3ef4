// The geometry scenario's pixels at points computed from the scenes.
#include <gtest/gtest.h>

#include <string>

#include "ScenarioOutput.h"
#include "ScenePixels.h"

namespace {

using namespace winesuite;

class WineGeometry : public WineTest {};

constexpr int kTolerance = 3;  // Mesa's software rasteriser rounds

void ExpectTriangle(const orvhost::Image& image, const SceneTriangle& triangle, const char* what) {
    const ScreenTriangle screen = OrthoOf(triangle);
    ExpectColourAt(image, Centroid(screen), Unpacked(triangle.v[0].colour), kTolerance, what);
    for (const ScreenPoint& point : BeyondCorners(screen, 8))
        ExpectColourAt(image, point, ClearColourOf(kGeometryClear), kTolerance,
                       std::string(what) + " beyond a corner");
}

ScreenPoint Inside(const QuadRect& r, bool right, bool bottom) {
    return {right ? r.right - 4.0f : r.left + 4.0f, bottom ? r.bottom - 4.0f : r.top + 4.0f};
}

}  // namespace

TEST_F(WineGeometry, ScreenQuadsCoverTheirRectanglesAndBlendByTheirAlpha) {
    const ScenarioOutput output = FinishedCleanly("geometry");
    const orvhost::Image image = output.Frame("quads", 0);  // quads count no triangles
    ASSERT_GT(image.width, 0);
    const Rgba clear = ClearColourOf(kGeometryClear), opaque = Unpacked(kOpaqueQuadColour);
    const Rgba half = AlphaBlended(Unpacked(kHalfQuadColour), clear);
    for (bool right : {false, true})
        for (bool bottom : {false, true}) {
            ExpectColourAt(image, Inside(kOpaqueQuad, right, bottom), opaque, kTolerance, "opaque");
            ExpectColourAt(image, {right ? kOpaqueQuad.right + 4.0f : kOpaqueQuad.left - 4.0f,
                                   bottom ? kOpaqueQuad.bottom + 4.0f : kOpaqueQuad.top - 4.0f},
                           clear, kTolerance, "outside the opaque quad");
            // The bottom-right corner lies under the overlapping opaque quad.
            ExpectColourAt(image, Inside(kHalfQuad, right, bottom), right && bottom ? opaque : half,
                           kTolerance, "blended");
        }
    ExpectColourAt(image, Inside(kOverlapQuad, true, true), opaque, kTolerance, "overlap");
}

TEST_F(WineGeometry, VertexBuffersAndArraysDrawAndStreamZeroIsRestored) {
    const ScenarioOutput output = FinishedCleanly("geometry");
    // Lists and strips count, the fan does not, the array's list does.
    const orvhost::Image image = output.Frame("ortho", kVertexBufferTriangles);
    ASSERT_GT(image.width, 0);
    ExpectTriangle(image, kStaticTriangles[0], "first static triangle");
    ExpectTriangle(image, kStaticTriangles[1], "second static triangle");
    ExpectTriangle(image, kDynamicTriangle, "dynamic triangle");
    for (const SceneVertex* c : {kStrip, kFan})
        for (const SceneTriangle& half : {SceneTriangle{{c[0], c[1], c[2]}}, SceneTriangle{{c[1], c[2], c[3]}}})
            ExpectColourAt(image, Centroid(OrthoOf(half)), Unpacked(c[0].colour), kTolerance,
                           c == kStrip ? "strip" : "fan");
    ExpectTriangle(image, kArrayTriangle, "triangle from the host's array");
    // Drawn from the buffer bound before the array draws and the quad.
    ExpectTriangle(image, kBoundTriangle, "triangle from the buffer bound before");
    ExpectColourAt(image, Inside(kBetweenQuad, false, false), Unpacked(kBetweenQuadColour),
                   kTolerance, "quad between");
}
