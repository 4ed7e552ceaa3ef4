// Device creation and state: what the real runtime refuses and its
// point-size defaults.
#include <cstring>

#include "support/D3D8Fixture.h"

namespace {

class D3D8Runtime : public D3D8Fixture {};

TEST_F(D3D8Runtime, CreateDeviceRefusesWhatTheAdapterLacksOrBadParameters) {
    D3DPRESENT_PARAMETERS refresh = Windowed(), unknown = Windowed();
    refresh.FullScreen_RefreshRateInHz = 60;
    unknown.Windowed = FALSE;
    unknown.BackBufferWidth = 640;
    unknown.BackBufferHeight = 480;
    unknown.BackBufferFormat = D3DFMT_UNKNOWN;
    constexpr DWORD kHw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    const struct { const char* name; bool hal; DWORD behaviour; D3DPRESENT_PARAMETERS pp; HRESULT expected; } cases[] = {
        {"no HAL", false, kHw, Windowed(), D3DERR_NOTAVAILABLE},
        {"no behaviour", true, 0, Windowed(), D3DERR_INVALIDCALL},
        {"full-screen UNKNOWN", true, kHw, unknown, D3DERR_INVALIDCALL},
        {"windowed with a refresh rate", true, kHw, refresh, D3DERR_INVALIDCALL},
        {"depth format not offered", true, kHw, Windowed(TRUE, D3DFMT_D15S1), D3DERR_INVALIDCALL}};
    for (const auto& c : cases) {
        orvd3d8::Adapter(0).halAvailable = c.hal;
        D3DPRESENT_PARAMETERS pp = c.pp;
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(this);
        EXPECT_EQ(m_D3D->CreateDevice(0, D3DDEVTYPE_HAL, m_Window, c.behaviour, &pp, &device), c.expected) << c.name;
        EXPECT_TRUE(device == nullptr && orvd3d8::LiveObjectCount() == 1) << c.name;
    }
}

TEST_F(D3D8Runtime, PointSizeLimitsStartAtZeroAndTheCapsMaximum) {
    ASSERT_NE(Device(), nullptr);
    D3DCAPS8 caps{};
    DWORD minimum = 0xDEADBEEF, maximum = 0;
    float largest = 0.0f;
    ASSERT_EQ(m_Device->GetDeviceCaps(&caps), D3D_OK);
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_POINTSIZE_MIN, &minimum), D3D_OK);
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_POINTSIZE_MAX, &maximum), D3D_OK);
    std::memcpy(&largest, &maximum, sizeof largest);
    EXPECT_EQ(minimum, 0u);
    EXPECT_EQ(largest, caps.MaxPointSize);
}

TEST_F(D3D8Runtime, UnknownStatesAndStagesAreRefused) {
    ASSERT_NE(Device(), nullptr);
    DWORD value = 0;
    for (DWORD state : {0u, 11u, 174u}) {
        const auto type = static_cast<D3DRENDERSTATETYPE>(state);
        EXPECT_EQ(m_Device->SetRenderState(type, 1), D3DERR_INVALIDCALL) << state;
        EXPECT_EQ(m_Device->GetRenderState(type, &value), D3DERR_INVALIDCALL) << state;
    }
    EXPECT_EQ(m_Device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 0),
              D3DERR_INVALIDCALL);
}

}  // namespace
