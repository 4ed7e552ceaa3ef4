// The bitmap writer against the stand-in runtime's own image surfaces: its
// lock pitch, a refused lock, and no objects left alive.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include <d3dx8.h>

namespace {

namespace fs = std::filesystem;

class SaveSurfaceRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        m_Window = CreateWindowExA(0, "Test", "d3dx", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr,
                                   nullptr, nullptr, nullptr);
        ASSERT_NE(m_Window, nullptr);
        m_Direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(m_Direct3D, nullptr);
        D3DPRESENT_PARAMETERS present = {};
        present.BackBufferWidth = 64;
        present.BackBufferHeight = 48;
        present.BackBufferFormat = D3DFMT_X8R8G8B8;
        present.SwapEffect = D3DSWAPEFFECT_DISCARD;
        present.hDeviceWindow = m_Window;
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
        if (m_Window) DestroyWindow(m_Window);
        orvplatform::ResetAll();
    }

    static std::string OutputPath(const std::string& name) {
        const fs::path directory = ORV_TEST_OUTPUT_DIR;
        fs::create_directories(directory);
        fs::remove(directory / name);
        return (directory / name).string();
    }

    HWND m_Window = nullptr;
    IDirect3D8* m_Direct3D = nullptr;
    IDirect3DDevice8* m_Device = nullptr;
};

uint32_t Pattern(UINT x, UINT y) { return 0xFF000000u | (x * 40) << 16 | (y * 50) << 8 | (x + y); }

TEST_F(SaveSurfaceRuntime, SavesAnImageSurfaceThroughItsOwnLock) {
    constexpr UINT kWidth = 5, kHeight = 3;
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(m_Device->CreateImageSurface(kWidth, kHeight, D3DFMT_A8R8G8B8, &surface), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    ASSERT_GE(locked.Pitch, static_cast<INT>(kWidth * 4));
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const uint32_t argb = Pattern(x, y);
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, &argb, 4);
        }
    ASSERT_EQ(surface->UnlockRect(), D3D_OK);

    const std::string path = OutputPath("runtime.bmp");
    EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::UnlockRect"), 2u);

    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>()};
    constexpr size_t kRowSize = 16;  // 15 bytes of pixels, one of padding
    ASSERT_EQ(bytes.size(), 54 + kRowSize * kHeight);
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const uint32_t argb = Pattern(x, y);
            const size_t at = 54 + (kHeight - 1 - y) * kRowSize + 3 * x;
            EXPECT_EQ(bytes[at], argb & 0xFF) << x << "," << y;
            EXPECT_EQ(bytes[at + 1], (argb >> 8) & 0xFF) << x << "," << y;
            EXPECT_EQ(bytes[at + 2], (argb >> 16) & 0xFF) << x << "," << y;
        }

    // The surface is unlocked again and unchanged in its reference count.
    EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    surface->UnlockRect();
    EXPECT_EQ(surface->Release(), 0u);
}

TEST_F(SaveSurfaceRuntime, RefusedLockLeavesNoFile) {
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(m_Device->CreateImageSurface(4, 4, D3DFMT_R5G6B5, &surface), D3D_OK);
    orvplatform::FailEveryCall("IDirect3DSurface8::LockRect", D3DERR_INVALIDCALL);

    const std::string path = OutputPath("refused.bmp");
    EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(orvplatform::CountOf("IDirect3DSurface8::UnlockRect"), 0u);

    orvplatform::ClearFailures();
    EXPECT_EQ(surface->Release(), 0u);
}

}  // namespace
