// The materials scenario's colours, computed from the materials' and the
// light's numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ScenarioOutput.h"
#include "ScenePixels.h"

namespace {

using namespace winesuite;

class WineMaterials : public WineTest {};

void ExpectAt(const orvhost::Image& image, const SceneTriangle& triangle, const Rgba& colour,
              const char* what) {
    ExpectColourAt(image, Centroid(OrthoOf(triangle)), colour, 3, what);
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

TEST_F(WineMaterials, LightingCullingBlendDepthPassesAndTheNeutralState) {
    const ScenarioOutput output = FinishedCleanly("materials");
    EXPECT_EQ(output.Fact("materials.made"), "1");
    EXPECT_EQ(output.Fact("material.references"), "1");
    EXPECT_EQ(output.Fact("materials.released"), "1");
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
        ExpectColourAt(image, {pair.x + 15, pair.y + 15}, Unpacked(kNearColour), 3, "near only");
        ExpectColourAt(image, {farX + 20, farY + 20}, Unpacked(pair.farWins ? kFarColour : kNearColour),
                       3, "overlap of the pair at x " + std::to_string(pair.x));
        ExpectColourAt(image, {farX + 90, farY + 50}, Unpacked(kFarColour), 3, "far only");
    }

    // Each pass counts; each after the first adds the vertex colour again.
    image = output.Frame("passes", kPassTriangles);
    ExpectAt(image, kTenLayerTriangle, Scaled(Unpacked(kTenLayerColour), 2.0f), "ten layers");
    ExpectAt(image, kSplitTriangle, Scaled(Unpacked(kSplitColour), 3.0f), "lighting flags split");
}
