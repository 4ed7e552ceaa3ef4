// The bitmap writer against the stand-in runtime's own image surfaces: file
// layout, row order and padding, the lock pitch, pixel formats, the rectangle,
// and failures that leave neither a file nor a lock nor a live object.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include <d3dx8.h>

#include "support/TestWindow.h"

namespace {

namespace fs = std::filesystem;

std::string OutputPath(const std::string& name) {
    const fs::path path = fs::path(ORV_TEST_OUTPUT_DIR) / name;
    fs::create_directories(path.parent_path());
    fs::remove(path);
    return path.string();
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// Pixel (x, y) of a test pattern: every byte distinct.
uint32_t Pattern(UINT x, UINT y) {
    return 0xA0000000u | (y * 16 + x) << 16 | (x + 1) << 8 | (y + 7);
}

class SaveSurface : public ::testing::Test {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        m_Window = orvtest::CreateTestWindow("d3dx", WS_POPUP, 0, 0, 64, 48);
        m_Direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_TRUE(m_Window && m_Direct3D);
        D3DPRESENT_PARAMETERS present = {};
        present.BackBufferFormat = D3DFMT_X8R8G8B8;
        present.SwapEffect = D3DSWAPEFFECT_DISCARD;
        present.Windowed = TRUE;
        ASSERT_EQ(m_Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_Window,
                                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present,
                                           &m_Device),
                  D3D_OK);
    }

    void TearDown() override {
        if (m_Device) m_Device->Release();
        if (m_Direct3D) m_Direct3D->Release();
        EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u);
        DestroyWindow(m_Window);
        orvplatform::ResetAll();
    }

    // An image surface whose pixels are `pattern`'s low bytes and whose bytes
    // between the end of a row and the pitch are 0xEE; its lock pitch in `pitch`.
    IDirect3DSurface8* Surface(UINT width, UINT height, D3DFORMAT format, UINT bytesPerPixel,
                               const std::function<uint32_t(UINT, UINT)>& pattern,
                               INT* pitch = nullptr) {
        IDirect3DSurface8* surface = nullptr;
        EXPECT_EQ(m_Device->CreateImageSurface(width, height, format, &surface), D3D_OK);
        if (!surface) return nullptr;
        D3DLOCKED_RECT locked;
        EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y) {
            BYTE* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
            std::memset(row, 0xEE, static_cast<size_t>(locked.Pitch));
            for (UINT x = 0; x < width; ++x) {
                const uint32_t value = pattern(x, y);
                std::memcpy(row + x * bytesPerPixel, &value, bytesPerPixel);
            }
        }
        surface->UnlockRect();
        orvplatform::ClearJournal();
        if (pitch) *pitch = locked.Pitch;
        return surface;
    }

    HWND m_Window = nullptr;
    IDirect3D8* m_Direct3D = nullptr;
    IDirect3DDevice8* m_Device = nullptr;
};

TEST_F(SaveSurface, WritesBottomUpPaddedRowsThroughTheLockPitch) {
    // R8G8B8, width 3: 9 bytes a row, locked with a pitch of 12 whose last
    // three bytes must not reach the file; file rows are padded to 12 as well.
    constexpr UINT kWidth = 3, kHeight = 2;
    INT pitch = 0;
    IDirect3DSurface8* surface = Surface(kWidth, kHeight, D3DFMT_R8G8B8, 3, Pattern, &pitch);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(pitch, 12) << "the runtime no longer pads this surface's rows";

    const std::string path = OutputPath("pattern.bmp");
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface, nullptr, nullptr), D3D_OK);
    const std::vector<uint8_t> file = ReadFile(path);
    ASSERT_EQ(file.size(), 54u + 12 * kHeight);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    const uint32_t header[] = {static_cast<uint32_t>(file.size()), 0, 54, 40, kWidth, kHeight,
                               1 | 24 << 16, 0 /* BI_RGB */, 12 * kHeight};
    for (size_t i = 0; i < std::size(header); ++i)
        EXPECT_EQ(Get32(file, 2 + 4 * i), header[i]) << "header field at " << 2 + 4 * i;
    for (UINT y = 0; y < kHeight; ++y) {
        const size_t row = 54 + (kHeight - 1 - y) * 12;  // bottom-up
        for (UINT x = 0; x < kWidth; ++x) {
            const uint32_t rgb = Pattern(x, y);
            for (UINT channel = 0; channel < 3; ++channel)
                EXPECT_EQ(file[row + 3 * x + channel], (rgb >> 8 * channel) & 0xFF)
                    << x << "," << y << " channel " << channel;
        }
        for (size_t pad = 9; pad < 12; ++pad) EXPECT_EQ(file[row + pad], 0) << "padding";
    }

    // One read-only lock of the whole surface, given back.
    const std::vector<orvplatform::Call> locks = orvplatform::CallsOf("IDirect3DSurface8::LockRect");
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0].args[1], 0u);
    EXPECT_EQ(locks[0].args[2], static_cast<uint64_t>(D3DLOCK_READONLY));
    EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::UnlockRect"), 1u);
    EXPECT_EQ(surface->Release(), 0u);
}

TEST_F(SaveSurface, ConvertsEachFormatTo24Bits) {
    struct FormatCase {
        D3DFORMAT format;
        UINT bytesPerPixel;
        uint32_t pixel;
        uint8_t blue, green, red;
    };
    // Narrow channels widen by repeating their top bits: 5-bit 0x10 is 0x84,
    // 6-bit 0x20 is 0x82, 4-bit 0x8 is 0x88.
    static constexpr FormatCase kFormats[] = {
        {D3DFMT_A8R8G8B8, 4, 0x80123456, 0x56, 0x34, 0x12},
        {D3DFMT_X8R8G8B8, 4, 0x00123456, 0x56, 0x34, 0x12},
        {D3DFMT_R8G8B8, 3, 0x00ABCDEF, 0xEF, 0xCD, 0xAB},
        {D3DFMT_R5G6B5, 2, 0xF800, 0x00, 0x00, 0xFF},
        {D3DFMT_R5G6B5, 2, 0x07E0, 0x00, 0xFF, 0x00},
        {D3DFMT_R5G6B5, 2, 0x8410, 0x84, 0x82, 0x84},
        {D3DFMT_X1R5G5B5, 2, 0x7C00, 0x00, 0x00, 0xFF},
        {D3DFMT_X1R5G5B5, 2, 0x8210, 0x84, 0x84, 0x00},
        {D3DFMT_A1R5G5B5, 2, 0x801F, 0xFF, 0x00, 0x00},
        {D3DFMT_A4R4G4B4, 2, 0xF0F8, 0x88, 0xFF, 0x00},
        {D3DFMT_X4R4G4B4, 2, 0x0A00, 0x00, 0x00, 0xAA},
    };
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " pixel " << std::hex << c.pixel);
        // Two pixels a row: the second is black, so a wrong pixel size shows.
        IDirect3DSurface8* surface = Surface(2, 1, c.format, c.bytesPerPixel,
                                             [&c](UINT x, UINT) { return x == 0 ? c.pixel : 0u; });
        ASSERT_NE(surface, nullptr);
        const std::string path = OutputPath("format.bmp");
        ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface, nullptr, nullptr),
                  D3D_OK);
        const std::vector<uint8_t> file = ReadFile(path);
        ASSERT_EQ(file.size(), 54u + 8u);
        EXPECT_EQ(file[54], c.blue);
        EXPECT_EQ(file[55], c.green);
        EXPECT_EQ(file[56], c.red);
        for (size_t i = 57; i < 60; ++i) EXPECT_EQ(file[i], 0) << "second pixel";
        EXPECT_EQ(surface->Release(), 0u);
    }
}

TEST_F(SaveSurface, SavesOnlyTheRectangleAskedFor) {
    IDirect3DSurface8* surface = Surface(4, 3, D3DFMT_X8R8G8B8, 4, Pattern);
    ASSERT_NE(surface, nullptr);
    const RECT area = {1, 1, 3, 3};
    const std::string path = OutputPath("rect.bmp");
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface, nullptr, &area), D3D_OK);
    ASSERT_EQ(orvplatform::CountOf("IDirect3DSurface8::LockRect"), 1u);
    EXPECT_EQ(orvplatform::CallsOf("IDirect3DSurface8::LockRect")[0].args[1],
              orvplatform::Arg(&area));
    const std::vector<uint8_t> file = ReadFile(path);
    ASSERT_EQ(file.size(), 54u + 2 * 8);
    EXPECT_EQ(Get32(file, 18), 2u);
    EXPECT_EQ(Get32(file, 22), 2u);
    // File row 0 is surface row 2, file row 1 surface row 1; columns 1 and 2.
    for (UINT fileRow = 0; fileRow < 2; ++fileRow)
        for (UINT column = 0; column < 2; ++column) {
            const uint32_t argb = Pattern(column + 1, 2 - fileRow);
            EXPECT_EQ(file[54 + fileRow * 8 + 3 * column], argb & 0xFF);
            EXPECT_EQ(file[54 + fileRow * 8 + 3 * column + 2], (argb >> 16) & 0xFF);
        }
    EXPECT_EQ(surface->Release(), 0u);
}

TEST_F(SaveSurface, FailsWithoutLeavingAFileOrALock) {
    struct FailureCase {
        const char* what;
        D3DXIMAGE_FILEFORMAT fileFormat;
        D3DFORMAT surfaceFormat;
        RECT area;  // all zero: the whole surface
        HRESULT lockResult;
        bool missingDirectory;
        HRESULT expected;
        size_t expectedLocks;
    };
    const FailureCase kFailures[] = {
        {"png file", D3DXIFF_PNG, D3DFMT_A8R8G8B8, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
        {"dds file", D3DXIFF_DDS, D3DFMT_A8R8G8B8, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
        {"compressed surface", D3DXIFF_BMP, D3DFMT_DXT1, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
        {"paletted surface", D3DXIFF_BMP, D3DFMT_P8, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
        {"rect past the edge", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {0, 0, 5, 2}, D3D_OK, false,
         D3DERR_INVALIDCALL, 0},
        {"empty rect", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {2, 1, 2, 2}, D3D_OK, false,
         D3DERR_INVALIDCALL, 0},
        {"negative rect", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {-1, 0, 2, 2}, D3D_OK, false,
         D3DERR_INVALIDCALL, 0},
        {"lock refused", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {}, D3DERR_DEVICELOST, false,
         D3DERR_DEVICELOST, 1},
        {"file not creatable", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {}, D3D_OK, true, E_FAIL, 1},
    };
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.what);
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(m_Device->CreateImageSurface(4, 4, c.surfaceFormat, &surface), D3D_OK);
        if (FAILED(c.lockResult))
            orvplatform::FailNthCall("IDirect3DSurface8::LockRect", 1, c.lockResult);
        orvplatform::ClearJournal();
        const bool wholeSurface = c.area.right == 0 && c.area.bottom == 0;
        std::string path = OutputPath("failure.bmp");
        if (c.missingDirectory) path = OutputPath("missing") + "/failure.bmp";

        EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), c.fileFormat, surface, nullptr,
                                         wholeSurface ? nullptr : &c.area),
                  c.expected);
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::LockRect"), c.expectedLocks);
        EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::UnlockRect"),
                  SUCCEEDED(c.lockResult) ? c.expectedLocks : 0u);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK) << "left locked";
        surface->UnlockRect();
        EXPECT_EQ(surface->Release(), 0u);
        orvplatform::ClearFailures();
    }

    // Missing arguments.
    IDirect3DSurface8* surface = Surface(1, 1, D3DFMT_A8R8G8B8, 4, Pattern);
    const std::string path = OutputPath("null.bmp");
    EXPECT_EQ(D3DXSaveSurfaceToFileA(nullptr, D3DXIFF_BMP, surface, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::LockRect"), 0u);
    EXPECT_EQ(surface->Release(), 0u);
}

}  // namespace
