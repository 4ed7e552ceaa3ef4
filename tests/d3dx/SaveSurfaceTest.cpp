#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <d3dx8.h>

#include "FakeSurface.h"

namespace {

namespace fs = std::filesystem;

std::string OutputPath(const std::string& name) {
    const fs::path directory = ORV_TEST_OUTPUT_DIR;
    fs::create_directories(directory);
    const fs::path path = directory / name;
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
uint16_t Get16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void Put32(BYTE* at, uint32_t value) { std::memcpy(at, &value, 4); }

// Checks the two headers of a 24-bit bottom-up bitmap of width x height.
void ExpectBitmapHeaders(const std::vector<uint8_t>& file, uint32_t width, uint32_t height) {
    const uint32_t rowSize = (width * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + rowSize * height);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Get32(file, 2), file.size());
    EXPECT_EQ(Get32(file, 6), 0u);  // reserved
    EXPECT_EQ(Get32(file, 10), 54u);
    EXPECT_EQ(Get32(file, 14), 40u);
    EXPECT_EQ(Get32(file, 18), width);
    EXPECT_EQ(Get32(file, 22), height);  // positive: bottom-up
    EXPECT_EQ(Get16(file, 26), 1u);
    EXPECT_EQ(Get16(file, 28), 24u);
    EXPECT_EQ(Get32(file, 30), 0u);  // BI_RGB
    EXPECT_EQ(Get32(file, 34), rowSize * height);
}

// Pixel (x, y) of a 32-bit test pattern: every byte distinct.
uint32_t Pattern(UINT x, UINT y) { return 0xA0000000u | (y * 16 + x) << 16 | (x + 1) << 8 | (y + 7); }

TEST(SaveSurface, Writes32BitSurfaceBottomUpWithPaddedRowsAndHonoursThePitch) {
    // Width 3: 9 bytes of pixels and 3 of padding a row. The pitch leaves 20
    // bytes of other data after each row, which must not reach the file.
    constexpr UINT kWidth = 3, kHeight = 2, kPitch = kWidth * 4 + 20;
    FakeSurface surface(D3DFMT_A8R8G8B8, kWidth, kHeight, 4, kPitch);
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) Put32(surface.Row(y) + 4 * x, Pattern(x, y));

    const std::string path = OutputPath("pattern.bmp");
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, &surface, nullptr, nullptr),
              D3D_OK);

    const std::vector<uint8_t> file = ReadFile(path);
    ExpectBitmapHeaders(file, kWidth, kHeight);
    for (UINT fileRow = 0; fileRow < kHeight; ++fileRow) {
        const UINT y = kHeight - 1 - fileRow;
        const size_t rowStart = 54 + fileRow * 12;
        for (UINT x = 0; x < kWidth; ++x) {
            const uint32_t argb = Pattern(x, y);
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(file[rowStart + 3 * x + 0], argb & 0xFF);
            EXPECT_EQ(file[rowStart + 3 * x + 1], (argb >> 8) & 0xFF);
            EXPECT_EQ(file[rowStart + 3 * x + 2], (argb >> 16) & 0xFF);
        }
        for (size_t pad = 9; pad < 12; ++pad) EXPECT_EQ(file[rowStart + pad], 0) << "padding";
    }
    EXPECT_EQ(surface.LockCount(), 1);
    EXPECT_EQ(surface.UnlockCount(), 1);
    EXPECT_EQ(surface.LastLockFlags(), static_cast<DWORD>(D3DLOCK_READONLY));
    EXPECT_EQ(surface.LastLockRect(), nullptr);
    EXPECT_EQ(surface.References(), 1u);
}

struct FormatCase {
    D3DFORMAT format;
    UINT bytesPerPixel;
    uint32_t pixel;
    uint8_t blue, green, red;
};

// Narrow channels widen by repeating their top bits: 5-bit 0x10 is 0x84,
// 6-bit 0x20 is 0x82, 4-bit 0x8 is 0x88.
constexpr FormatCase kFormats[] = {
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

TEST(SaveSurface, ConvertsEachFormatTo24Bits) {
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " pixel " << std::hex << c.pixel);
        // Two pixels a row: the second is black, so a wrong pixel size shows.
        FakeSurface surface(c.format, 2, 1, c.bytesPerPixel, 2 * c.bytesPerPixel);
        std::memset(surface.Row(0), 0, 2 * c.bytesPerPixel);
        for (UINT i = 0; i < c.bytesPerPixel; ++i)
            surface.Row(0)[i] = static_cast<BYTE>(c.pixel >> (8 * i));

        const std::string path = OutputPath("format.bmp");
        ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, &surface, nullptr, nullptr),
                  D3D_OK);
        const std::vector<uint8_t> file = ReadFile(path);
        ASSERT_EQ(file.size(), 54u + 8u);
        EXPECT_EQ(file[54], c.blue);
        EXPECT_EQ(file[55], c.green);
        EXPECT_EQ(file[56], c.red);
        for (size_t i = 57; i < 60; ++i) EXPECT_EQ(file[i], 0) << "second pixel";
    }
}

TEST(SaveSurface, SavesOnlyTheRectangleAskedFor) {
    FakeSurface surface(D3DFMT_X8R8G8B8, 4, 3, 4, 16);
    for (UINT y = 0; y < 3; ++y)
        for (UINT x = 0; x < 4; ++x) Put32(surface.Row(y) + 4 * x, Pattern(x, y));

    const RECT area = {1, 1, 3, 3};
    const std::string path = OutputPath("rect.bmp");
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, &surface, nullptr, &area), D3D_OK);

    ASSERT_NE(surface.LastLockRect(), nullptr);
    EXPECT_EQ(surface.LastLockRect()->left, 1);
    EXPECT_EQ(surface.LastLockRect()->bottom, 3);
    const std::vector<uint8_t> file = ReadFile(path);
    ExpectBitmapHeaders(file, 2, 2);
    // File row 0 is surface row 2, file row 1 surface row 1; columns 1 and 2.
    for (UINT fileRow = 0; fileRow < 2; ++fileRow)
        for (UINT column = 0; column < 2; ++column) {
            const uint32_t argb = Pattern(column + 1, 2 - fileRow);
            EXPECT_EQ(file[54 + fileRow * 8 + 3 * column], argb & 0xFF);
            EXPECT_EQ(file[54 + fileRow * 8 + 3 * column + 2], (argb >> 16) & 0xFF);
        }
}

struct FailureCase {
    const char* what;
    D3DXIMAGE_FILEFORMAT fileFormat;
    D3DFORMAT surfaceFormat;
    RECT area;  // all zero: the whole surface
    HRESULT lockResult;
    bool missingDirectory;
    HRESULT expected;
    int expectedLocks;
};

const FailureCase kFailures[] = {
    {"png file", D3DXIFF_PNG, D3DFMT_A8R8G8B8, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
    {"dds file", D3DXIFF_DDS, D3DFMT_A8R8G8B8, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
    {"compressed surface", D3DXIFF_BMP, D3DFMT_DXT1, {}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
    {"rect past the edge", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {0, 0, 5, 2}, D3D_OK, false,
     D3DERR_INVALIDCALL, 0},
    {"empty rect", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {2, 1, 2, 2}, D3D_OK, false, D3DERR_INVALIDCALL, 0},
    {"negative rect", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {-1, 0, 2, 2}, D3D_OK, false,
     D3DERR_INVALIDCALL, 0},
    {"lock refused", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {}, D3DERR_DEVICELOST, false,
     D3DERR_DEVICELOST, 1},
    {"file not creatable", D3DXIFF_BMP, D3DFMT_A8R8G8B8, {}, D3D_OK, true, E_FAIL, 1},
};

TEST(SaveSurface, FailsWithoutLeavingAFileOrALock) {
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.what);
        FakeSurface surface(c.surfaceFormat, 4, 2, 4, 16);
        surface.FailLocksWith(c.lockResult);
        const bool wholeSurface = c.area.right == 0 && c.area.bottom == 0;
        std::string path = OutputPath("failure.bmp");
        if (c.missingDirectory) path = OutputPath("missing") + "/failure.bmp";

        EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), c.fileFormat, &surface, nullptr,
                                         wholeSurface ? nullptr : &c.area),
                  c.expected);
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(surface.LockCount(), c.expectedLocks);
        EXPECT_EQ(surface.UnlockCount(), c.lockResult == D3D_OK ? c.expectedLocks : 0);
        EXPECT_EQ(surface.References(), 1u);
    }
}

TEST(SaveSurface, RefusesMissingArguments) {
    FakeSurface surface(D3DFMT_A8R8G8B8, 1, 1, 4, 4);
    const std::string path = OutputPath("null.bmp");
    EXPECT_EQ(D3DXSaveSurfaceToFileA(nullptr, D3DXIFF_BMP, &surface, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(surface.LockCount(), 0);
}

}  // namespace
