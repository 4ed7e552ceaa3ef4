// The display scenario's log, facts and presented pixels, and the contract
// scenario's facts: each architecture's build as a host of that architecture
// meets it. The geometry and materials scenarios' pixels at points computed
// from the scenes, the materials' and the light's numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ScenarioOutput.h"
#include "ScenePixels.h"

namespace {

using namespace winesuite;

using WineDisplay = WineTest;
using WineContract = WineTest;
using WineGeometry = WineTest;
using WineMaterials = WineTest;

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

void ExpectAt(const orvhost::Image& image, const SceneTriangle& triangle, const Rgba& colour,
              const char* what) {
    ExpectColourAt(image, Centroid(OrthoOf(triangle)), colour, kTolerance, what);
}

Rgba Opaque(unsigned argb) {
    const Rgba colour = Unpacked(argb);
    return {colour.r, colour.g, colour.b, 1};
}

// Fixed-function lighting of a vertex facing the viewer: emissive + material
// ambient × device ambient + vertex diffuse × light diffuse × cosine.
Rgba LitColour(unsigned vertexColour) {
    const Rgba ambient = Unpacked(kDeviceAmbient), light = Unpacked(kLightDiffuse);
    const Rgba diffuse = Unpacked(vertexColour);
    const auto channel = [](float emissive, float material, float device, float vertex, float lit) {
        return std::min(1.0f, emissive + material * device + vertex * lit * kLightDirection[2]);
    };
    return {channel(kLitEmissive.r, kLitAmbient.r, ambient.r, diffuse.r, light.r),
            channel(kLitEmissive.g, kLitAmbient.g, ambient.g, diffuse.g, light.g),
            channel(kLitEmissive.b, kLitAmbient.b, ambient.b, diffuse.b, light.b), diffuse.a};
}

}  // namespace

TEST_F(WineDisplay, AdaptersModesFrameResetSecondModeAndShutdown) {
    const ScenarioOutput output = FinishedCleanly("display");
    ASSERT_GE(output.IntFact("adapters"), 1);
    // Full-screen modes of a depth the driver knows, the X server's screen
    // among them; one past the end is refused.
    const int modes = output.IntFact("modes");
    bool desktop = false;
    for (int index = 0; index < modes; ++index) {
        const std::string mode = output.Fact("mode." + std::to_string(index));
        EXPECT_TRUE(mode.find(" 32 0") != std::string::npos || mode.find(" 16 0") != std::string::npos)
            << mode;
        desktop = desktop || mode.rfind("1024x768 ", 0) == 0;
    }
    EXPECT_TRUE(desktop);
    EXPECT_EQ(output.Fact("mode." + std::to_string(modes)), "none");

    EXPECT_TRUE(output.Logged("D3D driver - Attempting display switch: Windowed: 1, Width: 640, "
                              "Height 480, BPP: 32"));
    EXPECT_TRUE(output.Logged("Display initialized."));
    EXPECT_TRUE(output.Logged("--- BEGIN STATE DUMP ---"));
    output.Frame("presented", 0);
    // With the display closed, neither a screenshot nor a reset succeeds.
    output.ExpectFacts({{"adapter.info", "1"}, {"dumps", "1"}, {"screenshot", "1"}, {"reset", "1"}, {"close", "1"},
                        {"second", "1"}, {"shutdown", "1"}, {"window.alive", "1"}, {"screenshot.closed", "0"},
                        {"reset.closed", "0"}, {"display.640.client", "640x480"}, {"display.800.client", "800x600"}});

    // Arial 12 pt bold at 96 dpi; the text over the clear colour.
    EXPECT_EQ(output.IntFact("font.height"), 17);
    ExpectLinesPrinted(output, "presented", kFrameClear);
    orvhost::Image image;

    // Below the text after the reset, and the corner of the second mode.
    ASSERT_TRUE(output.ReadPicture("after-reset", &image));
    ExpectColourAt(image, {kWidth / 2.0f, kHeight / 2.0f + 40}, Unpacked(PackedColour(kResetClear)),
                   kTolerance, "after the reset");
    ASSERT_TRUE(output.ReadPicture("second", &image));
    EXPECT_EQ(image.width, static_cast<int>(kSecondWidth));
    EXPECT_EQ(image.height, static_cast<int>(kSecondHeight));
    ExpectColourAt(image, {kSecondWidth - 5.0f, kSecondHeight - 5.0f},
                   Unpacked(PackedColour(kSecondModeClear)), kTolerance, "second mode");
}

TEST_F(WineContract, ModulesExportsAndOperationsByTableEntry) {
    const ScenarioOutput output = FinishedCleanly("contract");
    const bool x86 = Architecture() == "x86";
    // Programs and libraries of one architecture: IMAGE_FILE_MACHINE_I386 or _AMD64.
    EXPECT_EQ(output.IntFact("pointer.bytes"), x86 ? 4 : 8);
    for (const char* module : {"program", "ORVD3D.dll", "OrvKernel.dll"})
        EXPECT_EQ(output.Fact(std::string("machine.") + module), x86 ? "14c" : "8664") << module;

    // The two exports, by their plain names only; operations called by their
    // entries, with the headers' conventions.
    output.ExpectFacts({{"exports.ORVD3D.dll", "CreatePlugin GetRendererVersion"}, {"found.CreatePlugin", "1"},
                        {"found.GetRendererVersion", "1"}, {"found.decorated", "0"}, {"version", "257"},
                        {"raw.validate", "1"}, {"raw.colour", "1"}, {"raw.display", "1"}, {"raw.mode.returned", "1"},
                        {"raw.bitdepth", "32"}, {"virtual.bitdepth", "32"},
                        {"raw.mode", "640x480 32 bpp 60 Hz adapter 0 windowed 1"}});
    // On x86 the operations remove their own arguments (__thiscall).
    for (const char* fact : {"stack.ValidateDisplayMode", "stack.SetTextureBitDepth"})
        EXPECT_EQ(output.Fact(fact), x86 ? "0" : "none") << fact;
    output.Frame("presented");
    ExpectLinesPrinted(output, "presented", kFrameClear);
}

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

TEST_F(WineMaterials, LightingCullingBlendDepthPassesAndTheNeutralState) {
    const ScenarioOutput output = FinishedCleanly("materials");
    output.ExpectFacts({{"materials.made", "1"}, {"material.references", "1"}, {"materials.released", "1"}});
    const Rgba clear = ClearColourOf(kGeometryClear);

    // The culled triangle still counts: the driver counts what it asked for.
    orvhost::Image image = output.Frame("lit", 5);
    ExpectAt(image, kLitTriangle, LitColour(kLitColour), "lit");
    ExpectAt(image, kCulledBackTriangle, clear, "back face, culling on");
    ExpectAt(image, kDrawnBackTriangle, LitColour(kLitColour), "back face, culling off");
    ExpectAt(image, kNeutralTriangle, Opaque(kNeutralColour), "no material: unlit and opaque");
    ExpectAt(image, kNeutralBackTriangle, clear, "no material: back face culled");

    image = output.Frame("blend_depth", 7);
    ExpectAt(image, kBlendedTriangle, AlphaBlended(Unpacked(kTranslucentColour), clear),
             "frame blend on");
    for (const DepthPair& pair : kDepthPairs) {
        // Near only, the overlap, far only: at least 14 pixels from every edge.
        const float farX = pair.x + kDepthPairShift, farY = pair.y + kDepthPairShift;
        ExpectColourAt(image, {pair.x + 15, pair.y + 15}, Unpacked(kNearColour), kTolerance, "near only");
        ExpectColourAt(image, {farX + 20, farY + 20}, Unpacked(pair.farWins ? kFarColour : kNearColour),
                       kTolerance, "overlap of the pair at x " + std::to_string(pair.x));
        ExpectColourAt(image, {farX + 90, farY + 50}, Unpacked(kFarColour), kTolerance, "far only");
    }

    // Each pass counts; each after the first adds the vertex colour again.
    image = output.Frame("passes", kPassTriangles);
    ExpectAt(image, kTenLayerTriangle, Scaled(Unpacked(kTenLayerColour), 2.0f), "ten layers");
    ExpectAt(image, kSplitTriangle, Scaled(Unpacked(kSplitColour), 3.0f), "lighting flags split");
}
