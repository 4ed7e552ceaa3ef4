// Checks of the material scenario: the colours the real runtime drew with
// materials whose layers hold no texture, computed from the materials' and
// the light's numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "ScenarioOutput.h"
#include "ScenePixels.h"

namespace {

using namespace winesuite;

class WineMaterials : public WineTest {};

constexpr int kTolerance = 3;

orvhost::Image Frame(const ScenarioOutput& output, const char* name, unsigned triangles) {
    EXPECT_EQ(output.Fact(std::string("frames.") + name), "1") << name;
    EXPECT_EQ(output.IntFact(std::string("triangles.") + name), static_cast<int>(triangles))
        << name;
    orvhost::Image image;
    EXPECT_EQ(output.Fact(std::string("captured.") + name), "1") << name;
    EXPECT_TRUE(output.ReadPicture(name, &image)) << name;
    return image;
}

Rgba Clear() { return ClearColourOf(kGeometryClear); }

void ExpectAtCentroid(const orvhost::Image& image, const SceneTriangle& triangle,
                      const Rgba& colour, const std::string& what) {
    ExpectColourAt(image, Centroid(OrthoOf(triangle)), colour, kTolerance, what);
}

// The fixed-function lighting of a vertex whose normal faces the viewer:
// emissive + material ambient × device ambient + vertex diffuse × light
// diffuse × the cosine between the normal and the direction to the light.
Rgba LitColour(unsigned vertexColour) {
    const float cosine = kLightDirection[2];  // normal (0, 0, -1), light towards +z
    const Rgba ambient = Unpacked(kDeviceAmbient), light = Unpacked(kLightDiffuse);
    const Rgba diffuse = Unpacked(vertexColour);
    const auto channel = [&](float emissive, float materialAmbient, float deviceAmbient,
                             float vertex, float lightDiffuse) {
        return std::min(1.0f, emissive + materialAmbient * deviceAmbient +
                                  vertex * lightDiffuse * cosine);
    };
    return {channel(kLitEmissive.r, kLitAmbient.r, ambient.r, diffuse.r, light.r),
            channel(kLitEmissive.g, kLitAmbient.g, ambient.g, diffuse.g, light.g),
            channel(kLitEmissive.b, kLitAmbient.b, ambient.b, diffuse.b, light.b), diffuse.a};
}

}  // namespace

TEST_F(WineMaterials, MaterialsAreMadeDrawnAndReleasedWithoutAFailure) {
    const ScenarioOutput output = FinishedCleanly("materials");
    EXPECT_EQ(output.Fact("materials.made"), "1");
    EXPECT_EQ(output.Fact("layers.made"), "1");
    EXPECT_EQ(output.Fact("layers.ten"), "10");
    EXPECT_EQ(output.Fact("buffers.made"), "1");
    // SetMaterial(m), SetMaterial(null) leaves the host's own reference.
    EXPECT_EQ(output.Fact("material.references"), "1");
    EXPECT_EQ(output.Fact("materials.released"), "1");
}

TEST_F(WineMaterials, LightingUsesTheMaterialColoursAndCullingHidesBackFaces) {
    const ScenarioOutput output = FinishedCleanly("materials");
    // The culled triangle still counts: the driver counts what it asked for.
    const orvhost::Image image = Frame(output, "lit", 3);
    ASSERT_GT(image.width, 0);
    ExpectAtCentroid(image, kLitTriangle, LitColour(kLitColour), "lit triangle");
    ExpectAtCentroid(image, kCulledBackTriangle, Clear(), "back face with culling on");
    ExpectAtCentroid(image, kDrawnBackTriangle, LitColour(kLitColour),
                     "back face with culling off");
}

TEST_F(WineMaterials, FrameBlendDecidesWhetherTheLayerBlendFactorsApply) {
    const ScenarioOutput output = FinishedCleanly("materials");
    const orvhost::Image image = Frame(output, "blend", 3);
    ASSERT_GT(image.width, 0);
    const Rgba translucent = Unpacked(kTranslucentColour);
    ExpectAtCentroid(image, kBlendedTriangle, AlphaBlended(translucent, Clear()),
                     "frame blend on: source alpha over the frame");
    ExpectAtCentroid(image, kUnblendedTriangle, {translucent.r, translucent.g, translucent.b, 1},
                     "frame blend off: written as it is");
    // A stage that selects a texture it does not have passes the colour
    // before it on (the runtime treats the operation as invalid).
    ExpectAtCentroid(image, kUntexturedTriangle, Unpacked(kUntexturedColour),
                     "texture argument without a texture");
}

TEST_F(WineMaterials, DepthWritesAndDepthTestsFollowTheMaterial) {
    const ScenarioOutput output = FinishedCleanly("materials");
    const orvhost::Image image = Frame(output, "depth", 6);
    ASSERT_GT(image.width, 0);
    for (const DepthPair& pair : kDepthPairs) {
        const std::string what = "pair at x " + std::to_string(static_cast<int>(pair.x));
        // Only the near triangle, the overlap, only the far one: points at
        // least 14 pixels from every edge.
        const float farX = pair.x + kDepthPairShift, farY = pair.y + kDepthPairShift;
        ExpectColourAt(image, {pair.x + 15, pair.y + 15}, Unpacked(kNearColour), kTolerance,
                       what + ", near only");
        ExpectColourAt(image, {farX + 20, farY + 20},
                       Unpacked(pair.farWins ? kFarColour : kNearColour), kTolerance,
                       what + ", overlap");
        ExpectColourAt(image, {farX + 90, farY + 50}, Unpacked(kFarColour), kTolerance,
                       what + ", far only");
    }
}

TEST_F(WineMaterials, LaterPassesBlendWithTheFactorsOfTheirLastLayer) {
    const ScenarioOutput output = FinishedCleanly("materials");
    // Two passes and three passes, each counted.
    const orvhost::Image image = Frame(output, "passes", kPassTriangles);
    ASSERT_GT(image.width, 0);
    // The first pass writes the vertex colour, each later one adds it again.
    ExpectAtCentroid(image, kTenLayerTriangle, Scaled(Unpacked(kTenLayerColour), 2.0f),
                     "ten layers on eight stages");
    ExpectAtCentroid(image, kSplitTriangle, Scaled(Unpacked(kSplitColour), 3.0f),
                     "layers split by their lighting flags");
}

TEST_F(WineMaterials, NoMaterialDrawsUnlitOpaqueAndCullsBackFaces) {
    const ScenarioOutput output = FinishedCleanly("materials");
    const orvhost::Image image = Frame(output, "neutral", 2);
    ASSERT_GT(image.width, 0);
    const Rgba neutral = Unpacked(kNeutralColour);
    ExpectAtCentroid(image, kNeutralTriangle, {neutral.r, neutral.g, neutral.b, 1},
                     "half-transparent vertices, unlit and opaque");
    ExpectAtCentroid(image, kNeutralBackTriangle, Clear(), "back face");
}
