// Frames chosen from the millisecond clock at every bind: boundaries,
// looping and not, pausing, picking a frame, zero-length frames, stages.
#include "TextureTestSupport.h"

namespace {

using orvplatform::SetTickCount;
using orvtest::TextureTest;
using orvtest::ZarFile;

class Animation : public TextureTest {
protected:
    // A 1 x 1 animated texture whose frame i holds the colour 0xFF0000i0 + i.
    Texture* Frames(const std::vector<uint16_t>& durations) {
        ZarFile file = orvtest::NoiseZar(1, 1, 0x0009, 0, durations, 0);
        for (size_t i = 0; i < durations.size(); ++i)
            file.payload.insert(file.payload.end(), {0, 0, static_cast<uint8_t>(i), 255});
        return FromFile("frames.zar", file);
    }
    // The frame the texture binds now, told by its colour.
    int BoundFrame(Texture* texture) {
        const orvtest::FrameContents bound = Bound(texture);
        return bound.bytes.empty() ? -1 : static_cast<int>(bound.At(0, 0) & 0xFF);
    }
    // Starts the cycle at tick `start`.
    void Restart(Texture* texture, uint32_t start) {
        texture->SetPlaying(false);
        SetTickCount(start);
        texture->SetPlaying(true);
    }
};

TEST_F(Animation, FramesFollowTheClockLoopingAndNotAndSkipZeroLengths) {
    Display({}, 32);
    Texture* texture = Frames({100, 100, 100, 100});
    const uint32_t T = 5000;
    Restart(texture, T);
    const std::pair<uint32_t, int> looping[] = {{99, 0}, {100, 1}, {399, 3}, {400, 0}, {1500, 3}};
    for (auto [at, frame] : looping) {
        SetTickCount(T + at);
        EXPECT_EQ(BoundFrame(texture), frame) << at;
    }

    texture->SetLooping(false);
    Restart(texture, T);
    SetTickCount(T + 400);
    EXPECT_EQ(BoundFrame(texture), 3);
    EXPECT_FALSE(texture->IsPlaying());
    SetTickCount(T + 950);
    EXPECT_EQ(BoundFrame(texture), 3);  // ended: stays on the last frame

    // The tick counter wrapping inside a cycle is harmless.
    texture->SetLooping(true);
    Restart(texture, 0xFFFFFFF0u);
    SetTickCount(0x60);  // 0x70 ms later
    EXPECT_EQ(BoundFrame(texture), 1);

    // Frames of zero length are never shown.
    Texture* skipping = Frames({50, 0, 50});
    Restart(skipping, 1000);
    for (uint32_t at = 0; at < 100; at += 5) {
        SetTickCount(1000 + at);
        EXPECT_NE(BoundFrame(skipping), 1) << at;
    }
    m_pRenderer->ReleaseTexture(skipping);
    Texture* stuck = Frames({0, 0, 0});
    Restart(stuck, 1000);
    SetTickCount(1234);
    EXPECT_EQ(BoundFrame(stuck), 0);
}

TEST_F(Animation, PausingFreezesAFrameThatTheHostMayPick) {
    Display({}, 32);
    Texture* texture = Frames({100, 100, 100, 100});
    const uint32_t T = 20000;
    Restart(texture, T);
    SetTickCount(T + 250);
    texture->SetPlaying(false);
    SetTickCount(T + 390);
    EXPECT_EQ(BoundFrame(texture), 2);
    texture->SetFrame(1);
    EXPECT_EQ(BoundFrame(texture), 1);
    texture->SetFrame(4);  // no such frame: ignored
    EXPECT_FALSE(orvtest::Bind(texture, 8));  // no such stage
    EXPECT_TRUE(orvtest::Bind(texture, 7));

    texture->SetPlaying(true);  // resuming starts the cycle again
    EXPECT_EQ(BoundFrame(texture), 0);
    texture->SetFrame(3);  // while playing: nothing
    SetTickCount(T + 390 + 150);
    EXPECT_EQ(BoundFrame(texture), 1);
}

}  // namespace
