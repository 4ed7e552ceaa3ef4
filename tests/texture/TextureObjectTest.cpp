// Format choice on devices with chosen format subsets, created textures and
// their uploads, single pixels, reference counts and bad arguments.

#include "TextureTestSupport.h"

namespace {

using orvplatform::CallsOf;
using orvtest::TextureTest;
using orvtest::ZarFile;

const std::vector<D3DFORMAT> kEvery = {
    D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
    D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,       D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4};

// A 1 x 1 uncompressed ZAR file with the given layout and class codes.
ZarFile OnePixel(uint16_t layout, uint16_t classes) {
    ZarFile file;
    file.width = file.height = 1;
    file.layoutFlags = layout;
    file.channelClasses = classes;
    file.payload.assign(4, 0x80);
    return file;
}

TEST_F(TextureTest, FormatChoiceFollowsTheScoresOnTheDevicesFormats) {
    struct Case {
        const char* what;
        std::vector<D3DFORMAT> formats;
        unsigned bitDepth;
        int zarLayout;  // -1: a texture the driver creates (classes 2, 3, 2, 2 with alpha)
        uint16_t classes;
        D3DFORMAT chosen;
    };
    const Case cases[] = {
        {"created, 16 bits", kEvery, 16, -1, 0, D3DFMT_A4R4G4B4},
        {"created, 32 bits", kEvery, 32, -1, 0, D3DFMT_A8R8G8B8},
        {"created, 32 bits without A8R8G8B8",
         {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 32, -1, 0, D3DFMT_A4R4G4B4},
        {"colour 2, 2, 2 ties X4R4G4B4, wins by its extra", kEvery, 16, 0x0007, 0x2A, D3DFMT_X1R5G5B5},
        {"alpha of class 3", kEvery, 16, 0x000F, 0xDA, D3DFMT_A8R3G3B2},
        {"alpha of class 3 keeps needing alpha at 16 bits",
         {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}, 32, 0x000F, 0xEA, D3DFMT_A4R4G4B4},
    };
    for (const Case& c : cases) {
        orvplatform::ResetAll();
        Display(c.formats, c.bitDepth);
        ClearLines();
        Texture* texture = c.zarLayout < 0 ? m_pRenderer->CreateTexture(8, 8, false, 0)
                                           : FromFile("choice.zar", OnePixel(uint16_t(c.zarLayout), c.classes));
        ASSERT_NE(texture, nullptr) << c.what;
        EXPECT_EQ(texture->GetFormat(), c.chosen) << c.what;
        EXPECT_TRUE(c.zarLayout >= 0 || Logged("TEXTUREFORMAT: " + std::to_string(c.chosen))) << c.what;
        m_pRenderer->ReleaseTexture(texture);
        Destroy(m_pRenderer);
    }
}

TEST_F(TextureTest, CreatedTexturesHaveTheirShapeAndCountsAndRefuseBadSizes) {
    Display();
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
}

TEST_F(TextureTest, UploadsCopyWholeFramesAndRectanglesByTheLockedPitch) {
    Display();
    // A4R4G4B4: one texel is 2 bytes, a locked row is at least 4, so a 1-wide
    // texture copies row by row while a 4-wide one copies in one block.
    for (unsigned width : {1u, 4u}) {
        Texture* texture = m_pRenderer->CreateTexture(width, 4, false, 0);
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(texture->GetFormat(), D3DFMT_A4R4G4B4);
        for (unsigned y = 0; y < 4; ++y)
            for (unsigned x = 0; x < width; ++x) texture->SetPixel(x, y, 0xF0102000u + 0x10 * (y * width + x), 0);
        ASSERT_EQ(texture->UpdateFrame(0), 0);
        orvtest::FrameContents bound = Bound(texture);
        for (unsigned y = 0; y < 4; ++y)
            for (unsigned x = 0; x < width; ++x)
                EXPECT_EQ(bound.At<uint16_t>(x, y), 0xF120 + (y * width + x)) << width << ": " << x << "," << y;

        // A rectangle (rows 1 and 2) reaches only its texels.
        for (unsigned y = 0; y < 4; ++y) texture->SetPixel(width - 1, y, 0xFFFFFFFF, 0);
        ASSERT_EQ(texture->UpdateRect(0, 0, 1, width, 3), 0);
        bound = Bound(texture);
        EXPECT_EQ(bound.At<uint16_t>(width - 1, 0), 0xF120 + width - 1);
        EXPECT_EQ(bound.At<uint16_t>(width - 1, 2), 0xFFFF);
        EXPECT_EQ(bound.At<uint16_t>(width - 1, 3), 0xF120 + 4 * width - 1);

        EXPECT_EQ(texture->UpdateRect(0, -1, 0, 1, 1), -1);
        m_pRenderer->ReleaseTexture(texture);
    }

    // A refused lock is passed on and nothing is freed.
    Texture* texture = m_pRenderer->CreateTexture(4, 4, false, 0);
    orvplatform::FailNthCall("IDirect3DTexture8::LockRect", 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UpdateAllFrames(), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UpdateRectAllFrames(0, 0, 4, 4), 0);
}

TEST_F(TextureTest, PixelsAreWrittenAndReadPerFormatAndNeverOutside) {
    Display({}, 32);
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

    // X8R8G8B8 from a file: the word as stored; R8G8B8 reads nothing.
    orvplatform::ResetAll();
    Display(kEvery, 32);
    ZarFile rgb = OnePixel(0x0007, 0x2A);
    rgb.payload = {0xAB, 0xCD, 0xEF};
    Texture* x8 = FromFile("x8.zar", rgb, false, false);
    EXPECT_EQ(x8->GetPixel(0, 0, 0), 0x00ABCDEFu);
}

}  // namespace
