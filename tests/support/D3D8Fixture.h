// A fresh platform, a window on the desktop and the Direct3D object; at the
// end, nothing the test made may still be alive.
#pragma once

#include <gtest/gtest.h>
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/TestWindow.h"

#include <string>

// Windowed, with a back buffer of size 0 so that it takes the window's.
inline D3DPRESENT_PARAMETERS Windowed(BOOL depth = TRUE, D3DFORMAT depthFormat = D3DFMT_D16) {
    return {0, 0, D3DFMT_X8R8G8B8, 0, D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, nullptr, TRUE,
            depth, depthFormat, 0, 0, 0};
}

inline ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

template <typename T>
T& Texel(const D3DLOCKED_RECT& locked, int x, int y) {
    return reinterpret_cast<T*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x];
}

class D3D8Fixture : public ::testing::Test {
protected:
    static constexpr int kWindowX = 100, kWindowY = 50, kWindowWidth = 320, kWindowHeight = 240;

    void SetUp() override {
        orvplatform::ResetAll();
        m_Window = orvtest::CreateTestWindow("window", WS_POPUP | WS_VISIBLE, kWindowX, kWindowY,
                                             kWindowWidth, kWindowHeight);
        m_D3D = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_TRUE(m_Window && m_D3D);
    }

    void TearDown() override {
        EXPECT_EQ(m_Device ? m_Device->Release() : 0u, 0u);
        EXPECT_EQ(m_D3D ? m_D3D->Release() : 0u, 0u);
        std::string alive;
        for (const std::string& line : orvd3d8::LiveObjectDescriptions()) alive += line + "\n";
        EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u) << alive;
        DestroyWindow(m_Window);
        orvplatform::ResetAll();
    }

    HRESULT Create(D3DPRESENT_PARAMETERS pp) {
        return m_D3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_Window,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &m_Device);
    }

    IDirect3DDevice8* Device(BOOL depth = TRUE, D3DFORMAT depthFormat = D3DFMT_D16) {
        EXPECT_EQ(Create(Windowed(depth, depthFormat)), D3D_OK);
        return m_Device;
    }

    HWND m_Window = nullptr;
    IDirect3D8* m_D3D = nullptr;
    IDirect3DDevice8* m_Device = nullptr;
};
