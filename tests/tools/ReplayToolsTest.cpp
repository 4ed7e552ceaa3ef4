// The replayer's own arithmetic: how two frames compare, and what the frame
// statistics count as a redundant switch, bind or state change.
#include <gtest/gtest.h>

#include "capture/Operations.h"
#include "host/EngineNumbering.h"
#include "orvreplayFrameComparison.h"
#include "orvreplayStatistics.h"

namespace {

using orvcapture::Operation;

orvhost::Image Row(std::vector<uint32_t> argb) {
    orvhost::Image image;
    image.width = static_cast<int>(argb.size());
    image.height = 1;
    image.argb = std::move(argb);
    return image;
}

TEST(ReplayTools, FramesCompareByTheirLargestChannelDifferenceOverTheTolerance) {
    orvreplay::FrameComparison comparison(8);
    // Equal; green 8 apart (at the tolerance); blue 9 apart; red 200 apart.
    comparison.Compare(Row({0xFF102030, 0xFF102830, 0xFF102039, 0xFFD82030}),
                       Row({0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030}));
    EXPECT_EQ(comparison.LargestDifference(), 200);
    EXPECT_DOUBLE_EQ(comparison.ShareOver(), 0.5);
    const orvhost::Image& picture = comparison.Picture();
    ASSERT_EQ(picture.argb.size(), 4u);
    // Red where over, the replayed colour darkened to a quarter elsewhere.
    EXPECT_EQ(picture.argb[0], 0xFF04080Cu);
    EXPECT_EQ(picture.argb[2] & 0xFFFF, 0u);
    EXPECT_GT(picture.argb[3] >> 16 & 0xFF, picture.argb[2] >> 16 & 0xFF);

    comparison.Compare(Row({0xFF000000}), Row({0xFF000000, 0xFF000000}));
    EXPECT_EQ(comparison.LargestDifference(), 255);
    EXPECT_DOUBLE_EQ(comparison.ShareOver(), 1.0);
}

TEST(ReplayTools, RedundantOnlyWhatTheHostSetAndThePlugInHasNotSetSince) {
    struct Step {
        Operation operation;
        std::vector<uint64_t> arguments;
    };
    constexpr uint64_t kMaterial = 5, kTexture = 7;
    const Step steps[] = {
        {Operation::Device_SetZEnable, {0}},
        {Operation::Device_SetRenderState, {RENDERSTATE_ZENABLE, 0}},  // the same state: redundant
        {Operation::Device_SetTextureStageState, {1, TEXTURESTATE_COLOROP, TEXTUREOP_DISABLE}},
        {Operation::Device_SetTextureStageState, {1, TEXTURESTATE_COLOROP, TEXTUREOP_DISABLE}},  // redundant
        {Operation::Device_SetMaterial, {kMaterial}},  // sets the device's states itself
        {Operation::Device_SetZEnable, {0}},
        {Operation::Device_SetMaterial, {kMaterial}},  // redundant
        {Operation::Device_SetTexture, {0, kTexture}},
        {Operation::Device_SetTexture, {0, kTexture}},  // redundant
        {Operation::Device_RenderVertexBuffer, {PRIMITIVE_TRIANGLELIST, 100}},  // the material's layers bind
        {Operation::Device_SetTexture, {0, kTexture}},
        {Operation::Device_EndScene, {}},
    };
    orvreplay::FrameStatistics statistics;
    for (const Step& step : steps) {
        orvreplay::CallFacts call;
        call.operation = static_cast<uint16_t>(step.operation);
        call.arguments = step.arguments;
        statistics.Count(0, step.operation == Operation::Device_EndScene, call);
    }
    ASSERT_EQ(statistics.Frames().size(), 1u);
    const orvreplay::FrameCounts& frame = statistics.Frames()[0];
    EXPECT_EQ(frame.stateChanges, 5u);
    EXPECT_EQ(frame.stateRedundant, 2u);
    EXPECT_EQ(frame.materialSwitches, 2u);
    EXPECT_EQ(frame.materialRedundant, 1u);
    EXPECT_EQ(frame.textureBinds, 3u);
    EXPECT_EQ(frame.textureRedundant, 1u);
    EXPECT_EQ(frame.primitives, 100u);
    EXPECT_TRUE(frame.ended);
}

}  // namespace
