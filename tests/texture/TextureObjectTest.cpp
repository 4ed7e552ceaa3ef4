// Format choice on devices with chosen format subsets, created textures and
// their uploads, single pixels, reference counts and bad arguments. Frames
// chosen from the millisecond clock at every bind: boundaries, looping and
// not, pausing, picking a frame, zero-length frames, stages. The driver's
// texture registry: sharing by name in any letter case, unique textures,
// stale pointers and refused sequence names.
#include <string>

#include "TextureTestSupport.h"

namespace {

using orvplatform::CallsOf;
using orvplatform::SetTickCount;
using orvtest::TextureTest;
using orvtest::ZarFile;

const std::vector<D3DFORMAT> kEvery = {
    D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
    D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,       D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4};

// Created textures (classes 2, 3, 2, 2 with alpha) and 2 x 1 uncompressed
// ZAR files of the given layout and class codes, both pixels the same: the
// format taken, and the second texel as the device holds it. Two extra
// 2-byte channels after alpha are stepped over; colour without alpha is
// opaque in a format with alpha.
TEST_F(TextureTest, FormatChoiceFollowsTheScoresOnTheDevicesFormats) {
    const struct {
        const char* what;
        std::vector<D3DFORMAT> formats;
        unsigned bitDepth;
        int zarLayout;  // -1: a created texture
        uint16_t classes;
        D3DFORMAT chosen;
        std::vector<uint8_t> pixel = {0x80, 0x80, 0x80, 0x80};  // one stored pixel
        uint32_t word = 0;                                     // 0: not compared
    } cases[] = {
        {"created, 16 bits", kEvery, 16, -1, 0, D3DFMT_A4R4G4B4},
        {"created, 32 bits", kEvery, 32, -1, 0, D3DFMT_A8R8G8B8},
        {"created, 32 bits without A8R8G8B8",
         {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 32, -1, 0, D3DFMT_A4R4G4B4},
        {"colour 2, 2, 2 ties X4R4G4B4, wins by its extra", kEvery, 16, 0x0007, 0x2A, D3DFMT_X1R5G5B5},
        {"alpha of class 3", kEvery, 16, 0x000F, 0xDA, D3DFMT_A8R3G3B2},
        {"alpha of class 3 keeps needing alpha at 16 bits",
         {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}, 32, 0x000F, 0xEA, D3DFMT_A4R4G4B4},
        {"X8R8G8B8: the word as stored", kEvery, 32, 0x0007, 0x2A, D3DFMT_X8R8G8B8, {0xAB, 0xCD, 0xEF}, 0x00ABCDEF},
        {"extra channels", {}, 32, 0x0169, 0xAA, D3DFMT_A8R8G8B8, {0x11, 0x22, 0x33, 0x44, 9, 9, 9, 9}, 0x44112233},
        {"no alpha stored", {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, 32, 0x0007, 0xAA, D3DFMT_A8R8G8B8, {0x10, 0x20, 0x30},
         0xFF102030},
        {"A4L4 not offered", {}, 16, 0x0018, 0xAA, D3DFMT_A8L8, {0x12, 0x34}, 0x1234},
        {"A4L4", {D3DFMT_A4L4, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, 32, 0x0018, 0xAA, D3DFMT_A4L4, {0x12, 0x34}, 0x13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        orvplatform::ResetAll();
        Display(c.formats, c.bitDepth);
        ClearLines();
        ZarFile file = orvtest::NoiseZar(2, 1, uint16_t(c.zarLayout), 0, {}, 0);
        file.channelClasses = c.classes;
        for (int i = 0; i < 2; ++i) file.payload.insert(file.payload.end(), c.pixel.begin(), c.pixel.end());
        Texture* texture = c.zarLayout < 0 ? m_pRenderer->CreateTexture(8, 8, false, 0) : FromFile("choice.zar", file);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetFormat(), c.chosen);
        EXPECT_TRUE(c.zarLayout >= 0 || Logged("TEXTUREFORMAT: " + std::to_string(c.chosen)));
        uint32_t word = 0;
        std::memcpy(&word, &Bound(texture).bytes[texture->GetBytesPerPixel()], texture->GetBytesPerPixel());
        EXPECT_TRUE(!c.word || word == c.word) << std::hex << word;
        EXPECT_TRUE(!c.word || texture->GetBytesPerPixel() < 4 || texture->GetPixel(1, 0, 0) == c.word);
        m_pRenderer->ReleaseTexture(texture);
        Destroy(m_pRenderer);
    }
}

TEST_F(TextureTest, CreatedTexturesHaveTheirShapeCountsAndPixelsAndRefuseBadSizes) {
    Display({}, 32);
    EXPECT_EQ(m_pRenderer->CreateTexture(48, 16, false, 0), nullptr);
    EXPECT_TRUE(Logged("D3DDriver failed to create new 48x16 texture."));
    EXPECT_EQ(m_pRenderer->CreateTexture(32768, 1, false, 0), nullptr);  // past the device's limit
    EXPECT_EQ(m_pRenderer->CreateTexture(4, 4, false, 70000), nullptr);  // frames cannot be timed

    Texture* animated = m_pRenderer->CreateTexture(16, 8, true, 3);
    ASSERT_NE(animated, nullptr);
    EXPECT_EQ(animated->GetFrameData(3), nullptr);
    EXPECT_EQ(Bound(animated).levels, 5u);  // a full chain for 16 x 8
    // Reference counts never go below zero.
    Texture* texture = m_pRenderer->CreateTexture(4, 4, false, 0);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(texture->AddRef(), 0u);

    // Pixels are written and read per format and never outside.
    Texture* argb = m_pRenderer->CreateTexture(4, 4, false, 2);
    argb->SetPixel(3, 3, 0x12345678, 1);
    EXPECT_EQ(static_cast<uint32_t*>(argb->GetFrameData(1))[15], 0x12345678u);
    argb->SetPixel(4, 0, 0xFFFFFFFF, 0);  // outside: nothing happens
    argb->SetPixel(0, 0, 0xFFFFFFFF, 2);
    EXPECT_EQ(argb->GetPixel(4, 0, 0) | argb->GetPixel(0, 0, 2), 0u);

    m_pRenderer->SetTextureBitDepth(16);
    Texture* small = m_pRenderer->CreateTexture(2, 2, false, 0);
    small->SetPixel(1, 1, 0x12345678, 0);
    EXPECT_EQ(small->GetPixel(1, 1, 0), 0x10305070u);
}

TEST_F(TextureTest, UploadsCopyWholeFramesAndRectanglesByTheLockedPitch) {
    Display();
    // A4R4G4B4: one texel is 2 bytes, a locked row is at least 4, so a 1-wide
    // texture copies row by row while a 4-wide one copies in one block.
    for (unsigned width : {1u, 4u}) {
        Texture* texture = m_pRenderer->CreateTexture(width, 4, false, 0);
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(texture->GetFormat(), D3DFMT_A4R4G4B4);
        for (unsigned i = 0; i < 4 * width; ++i) texture->SetPixel(i % width, i / width, 0xF0102000u + 0x10 * i, 0);
        ASSERT_EQ(texture->UpdateFrame(0), 0);
        orvtest::FrameContents bound = Bound(texture);
        for (unsigned i = 0; i < 4 * width; ++i) EXPECT_EQ(bound.At<uint16_t>(i % width, i / width), 0xF120 + i) << width << ": " << i;

        // A rectangle (the last column's rows 1 and 2: narrower than a row
        // on both sides when the texture is 4 wide) reaches only its texels.
        for (unsigned y = 0; y < 4; ++y) texture->SetPixel(width - 1, y, 0xFFFFFFFF, 0);
        ASSERT_EQ(texture->UpdateRect(0, width - 1, 1, width, 3), 0);
        bound = Bound(texture);
        EXPECT_EQ(bound.At<uint16_t>(width - 1, 0), 0xF120 + width - 1);
        EXPECT_EQ(bound.At<uint16_t>(width - 1, 2), 0xFFFF);
        EXPECT_EQ(bound.At<uint16_t>(width - 1, 3), 0xF120 + 4 * width - 1);

        // Refused: a frame past the count, a rectangle past an edge or
        // turned inside out.
        const int w = static_cast<int>(width);
        const struct { unsigned frame; int left, top, right, bottom; } refused[] = {
            {1, 0, 0, 1, 1}, {0, -1, 0, 1, 1}, {0, 0, -1, 1, 1}, {0, 0, 0, w + 1, 1},
            {0, 0, 0, 1, 5}, {0, 1, 0, 0, 1},  {0, 0, 1, 1, 0}};
        for (const auto& r : refused)
            EXPECT_EQ(texture->UpdateRect(r.frame, r.left, r.top, r.right, r.bottom), -1) << r.left << "," << r.top;
        EXPECT_EQ(texture->UpdateFrame(1), -1);
        m_pRenderer->ReleaseTexture(texture);
    }

    // A refused lock is passed on and nothing is freed.
    Texture* texture = m_pRenderer->CreateTexture(4, 4, false, 0);
    orvplatform::FailNthCall("IDirect3DTexture8::LockRect", 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UpdateAllFrames(), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UpdateRectAllFrames(0, 0, 4, 4), 0);
}

using Animation = TextureTest;

TEST_F(Animation, FramesFollowTheClockLoopingOrNotPausedOnAFrameTheHostMayPick) {
    Display({}, 32);
    Texture* texture = Frames({100, 100, 100, 100});
    EXPECT_TRUE(texture->IsPlaying() && texture->IsLooping());  // as loaded
    EXPECT_EQ(texture->GetData(), nullptr);  // no one copy stands for every frame
    uint32_t T = 5000;
    Restart(texture, T);
    for (auto [at, frame] : {std::pair<uint32_t, int>{99, 0}, {100, 1}, {399, 3}, {400, 0}, {1500, 3}})
        EXPECT_EQ(FrameAt(texture, T + at), frame) << at;

    texture->SetLooping(false);
    Restart(texture, T);
    EXPECT_EQ(FrameAt(texture, T + 400), 3);
    EXPECT_FALSE(texture->IsPlaying());
    EXPECT_EQ(FrameAt(texture, T + 950), 3);  // ended: stays on the last frame

    // The tick counter wrapping inside a cycle is harmless.
    texture->SetLooping(true);
    Restart(texture, 0xFFFFFFF0u);
    EXPECT_EQ(FrameAt(texture, 0x60), 1);  // 0x70 ms later

    // Pausing freezes a frame that the host may pick.
    T = 20000;
    Restart(texture, T);
    SetTickCount(T + 250);
    texture->SetPlaying(false);
    EXPECT_EQ(FrameAt(texture, T + 390), 2);
    texture->SetFrame(1);
    EXPECT_EQ(BoundFrame(texture), 1);
    texture->SetFrame(4);  // no such frame: ignored
    EXPECT_FALSE(orvtest::CallTextureSlot<bool>(texture, orvtest::kBindSlot, 8u));  // no such stage
    EXPECT_TRUE(orvtest::CallTextureSlot<bool>(texture, orvtest::kBindSlot, 7u));

    texture->SetPlaying(true);  // resuming starts the cycle again
    EXPECT_EQ(BoundFrame(texture), 0);
    texture->SetFrame(3);  // while playing: nothing
    EXPECT_EQ(FrameAt(texture, T + 390 + 150), 1);

    // Frames of zero length are never shown.
    Texture* skipping = Frames({50, 0, 50});
    Restart(skipping, 1000);
    for (uint32_t at = 0; at < 100; at += 5) EXPECT_NE(FrameAt(skipping, 1000 + at), 1) << at;
    m_pRenderer->ReleaseTexture(skipping);
    Texture* stuck = Frames({0, 0, 0});
    Restart(stuck, 1000);
    EXPECT_EQ(FrameAt(stuck, 1234), 0);
}

// Names are compared as the kernel's case-blind comparison does: ASCII
// letters without their case, other bytes as they are. Several created
// textures share the empty name; the first still registered is found.
TEST_F(TextureTest, FilesAreSharedByNameInAnyCaseAndUniqueOnesHonourTheirCount) {
    Display();
    const std::string path = Write("Rock.ZAR", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 1));
    const size_t before = orvd3d8::LiveObjectCount();
    Texture* first = m_pRenderer->CreateTextureFromFile(path.c_str(), true, false);
    ASSERT_NE(first, nullptr);
    orvplatform::ClearJournal();
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(OutputPath("rOCK.zar").c_str(), false, false), first);
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::CreateTexture"), 0u);  // nothing loaded
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(first));
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(first));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), before);

    // unique: loaded again, not shared; dies at its release unless a layer
    // also holds it.
    Texture* alone = m_pRenderer->CreateTextureFromFile(path.c_str(), false, true);
    EXPECT_NE(m_pRenderer->CreateTextureFromFile(path.c_str(), false, true), alone);
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(alone));
    Texture* shared = m_pRenderer->CreateTextureFromFile(path.c_str(), false, true);
    shared->AddRef();  // a material layer's reference
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(shared));
    EXPECT_EQ(shared->GetRefCount(), 1u);
    int notATexture = 0;
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(reinterpret_cast<Texture*>(&notATexture)));
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(alone));  // already destroyed: not touched

    // '@' and '[' border the capitals; '`' and '{' border the small letters.
    const std::string upper = Write("R\xC4@[.zar", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 2));
    const std::string other = Write("r\xE4@[.zar", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 3));
    Texture* named = m_pRenderer->CreateTextureFromFile(upper.c_str(), false, false);
    ASSERT_NE(named, nullptr);
    const std::string folder = upper.substr(0, upper.size() - 8);
    const struct {
        std::string name;
        bool shared;
    } cases[] = {
        {folder + "r\xC4@[.ZaR", true},  {other, false},
        {folder + "R\xC4`[.zar", false}, {folder + "R\xC4@{.zar", false},
        {upper.substr(0, upper.size() - 1), false},
    };
    for (const auto& c : cases) {
        Texture* found = m_pRenderer->CreateTextureFromFile(c.name.c_str(), false, false);
        EXPECT_EQ(found == named, c.shared) << c.name;
        m_pRenderer->ReleaseTexture(found);
    }

    Texture* created[3];
    for (Texture*& texture : created) texture = m_pRenderer->CreateTexture(4, 4, false, 0);
    for (Texture* expected : created) {
        Texture* found = m_pRenderer->CreateTextureFromFile("", false, false);
        EXPECT_EQ(found, expected);
        m_pRenderer->ReleaseTexture(found);
        m_pRenderer->ReleaseTexture(expected);  // the last reference: the next one is first now
    }
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile("", false, false), nullptr);
    m_pRenderer->ReleaseTexture(named);
}

TEST_F(TextureTest, SequenceNamesWithoutAFrameNumberAreRefused) {
    Display();
    const std::string longBase(250, 'x');
    for (const std::string& name : {std::string("fire.tga"), std::string(".tga"), longBase + "0.tga", "a0." + longBase}) {
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(name.c_str(), 15, true, false), nullptr);
        EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFileSequence: Failed to load " + name)) << name;
    }
    // A formed frame name holds at most 199 characters: a sequence named
    // that long loads, one a character longer is refused.
    const std::string folder = OutputPath("x").substr(0, OutputPath("x").size() - 1);
    for (size_t length : {199u, 200u}) {
        const std::string first = Write(std::string(length - folder.size() - 5, length == 199 ? 'p' : 'q') + "0.tga",
                                        TgaFile(Tga::Argb32, 4, 4, false, false).bytes);
        ASSERT_EQ(first.size(), length);
        Texture* sequence = m_pRenderer->CreateTextureFromFileSequence(first.c_str(), 15, true, false);
        EXPECT_EQ(sequence != nullptr, length == 199);
        if (sequence) m_pRenderer->ReleaseTexture(sequence);
    }
    // A rate that gives no positive duration is refused too.
    const std::string still = Write("rate0.zar", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 3));
    for (int rate : {0, -1})
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(still.c_str(), rate, true, false), nullptr) << rate;
}

}  // namespace
