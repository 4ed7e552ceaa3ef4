// The bitmap writer against the stand-in runtime's own image surfaces: file
// layout, row order and padding, the lock pitch, pixel formats, the rectangle,
// and failures that leave neither a file nor a lock nor a live object.
#include <filesystem>

#include "DeviceFixture.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

std::string OutputPath(const std::string& name) { return orvtest::TempDir() + "/" + name; }

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// Pixel (x, y) of a test pattern: every byte distinct.
uint32_t Pattern(UINT x, UINT y) {
    return 0xA0000000u | (y * 16 + x) << 16 | (x + 1) << 8 | (y + 7);
}

using SaveSurface = DeviceFixture;

// R8G8B8, width 3: 9 bytes a row, locked with a pitch of 12 whose last three
// bytes must not reach the file; file rows are padded to 12 as well. Then
// columns 1 and 2 of rows 1 and 2 of an X8R8G8B8 surface.
TEST_F(SaveSurface, WritesBottomUpPaddedRowsOfTheRectangleThroughTheLockPitch) {
    const struct {
        D3DFORMAT format;
        UINT bytesPerPixel, width, height;
        RECT area;  // all zero: the whole surface
    } cases[] = {{D3DFMT_R8G8B8, 3, 3, 2, {}}, {D3DFMT_X8R8G8B8, 4, 4, 3, {1, 1, 3, 3}}};
    const std::string path = OutputPath("pattern.bmp");
    for (const auto& c : cases) {
        // Pattern's low bytes, and 0xEE between the end of a row and the pitch.
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(m_Device->CreateImageSurface(c.width, c.height, c.format, &surface), D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        ASSERT_TRUE(c.format != D3DFMT_R8G8B8 || locked.Pitch == 12) << "the runtime no longer pads this surface's rows";
        std::memset(locked.pBits, 0xEE, size_t(locked.Pitch) * c.height);
        for (UINT i = 0, x, y; i < c.width * c.height; ++i) {
            const uint32_t value = Pattern(x = i % c.width, y = i / c.width);
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * c.bytesPerPixel, &value, c.bytesPerPixel);
        }
        surface->UnlockRect();
        ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface, nullptr, c.area.right ? &c.area : nullptr), D3D_OK);
        const UINT width = c.area.right ? 2 : c.width, height = c.area.right ? 2 : c.height, stride = (3 * width + 3) & ~3u;
        const std::vector<uint8_t> file = orvtest::ReadFileBytes(path);
        ASSERT_EQ(file.size(), 54u + height * stride);
        EXPECT_EQ(file[0] | file[1] << 8, 'B' | 'M' << 8);
        const uint32_t header[] = {54 + height * stride, 0, 54, 40, width, height, 1 | 24 << 16, 0 /* BI_RGB */, height * stride};
        for (size_t i = 0; i < std::size(header); ++i) EXPECT_EQ(Get32(file, 2 + 4 * i), header[i]) << 2 + 4 * i;
        for (UINT row = 0; row < height; ++row) {
            const size_t at = 54 + row * stride;
            for (UINT x = 0; x < width; ++x)
                EXPECT_EQ(Get32(file, at + 3 * x) & 0xFFFFFF, Pattern(c.area.left + x, c.area.top + height - 1 - row) & 0xFFFFFF);
            for (size_t padding = at + 3 * width; padding < at + stride; ++padding) EXPECT_EQ(file[padding], 0) << "padding";
        }
        EXPECT_EQ(surface->Release(), 0u);
    }
}

TEST_F(SaveSurface, FailsWithoutLeavingAFileOrALock) {
    const struct {
        D3DXIMAGE_FILEFORMAT fileFormat;
        D3DFORMAT surfaceFormat;
        RECT area;  // all zero: the whole surface
        HRESULT lockResult;
        bool missingDirectory;
        HRESULT expected;
    } kFailures[] = {
        {D3DXIFF_PNG, D3DFMT_A8R8G8B8, {}, D3D_OK, false, D3DERR_INVALIDCALL},
        {D3DXIFF_BMP, D3DFMT_DXT1, {}, D3D_OK, false, D3DERR_INVALIDCALL},
        {D3DXIFF_BMP, D3DFMT_A8R8G8B8, {0, 0, 5, 2}, D3D_OK, false, D3DERR_INVALIDCALL},
        {D3DXIFF_BMP, D3DFMT_A8R8G8B8, {}, D3DERR_DEVICELOST, false, D3DERR_DEVICELOST},
        {D3DXIFF_BMP, D3DFMT_A8R8G8B8, {}, D3D_OK, true, E_FAIL},
    };
    orvplatform::EnableJournal(true);
    for (size_t i = 0; i < std::size(kFailures); ++i) {
        const auto& c = kFailures[i];
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(m_Device->CreateImageSurface(4, 4, c.surfaceFormat, &surface), D3D_OK);
        if (FAILED(c.lockResult)) orvplatform::FailNthCall("IDirect3DSurface8::LockRect", 1, c.lockResult);
        orvplatform::ClearJournal();
        const std::string path = c.missingDirectory ? OutputPath("missing") + "/failure.bmp" : OutputPath("failure.bmp");
        EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), c.fileFormat, surface, nullptr, c.area.right ? &c.area : nullptr),
                  c.expected) << i;
        EXPECT_FALSE(fs::exists(path)) << i;
        EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::LockRect") - orvplatform::CountOf("IDirect3DSurface8::UnlockRect"),
                  FAILED(c.lockResult) ? 1u : 0u) << i;
        orvplatform::ClearFailures();
        EXPECT_EQ(surface->Release(), 0u);
    }
    EXPECT_EQ(D3DXSaveSurfaceToFileA(OutputPath("null.bmp").c_str(), D3DXIFF_BMP, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
