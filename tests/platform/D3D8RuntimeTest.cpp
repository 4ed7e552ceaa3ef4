// Device creation: what the real runtime refuses, and injected failures.
#include "D3D8Fixture.h"

namespace {

class D3D8Runtime : public D3D8Fixture {};

TEST_F(D3D8Runtime, CreateDeviceRefusesWhatTheAdapterLacksOrBadParameters) {
    D3DPRESENT_PARAMETERS refresh = Windowed();
    refresh.FullScreen_RefreshRateInHz = 60;
    const struct {
        const char* name;
        bool hal;
        DWORD behaviour;
        D3DPRESENT_PARAMETERS pp;
        HRESULT expected;
    } cases[] = {
        {"no HAL", false, D3DCREATE_HARDWARE_VERTEXPROCESSING, Windowed(), D3DERR_NOTAVAILABLE},
        {"no behaviour", true, 0, Windowed(), D3DERR_INVALIDCALL},
        {"full-screen UNKNOWN", true, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         FullScreen(640, 480, D3DFMT_UNKNOWN), D3DERR_INVALIDCALL},
        {"windowed with a refresh rate", true, D3DCREATE_HARDWARE_VERTEXPROCESSING, refresh,
         D3DERR_INVALIDCALL},
        {"depth format not offered", true, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         Windowed(TRUE, D3DFMT_D15S1), D3DERR_INVALIDCALL},
    };
    for (const auto& c : cases) {
        orvd3d8::Adapter(0).halAvailable = c.hal;
        D3DPRESENT_PARAMETERS pp = c.pp;
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(this);
        EXPECT_EQ(m_D3D->CreateDevice(0, D3DDEVTYPE_HAL, m_Window, c.behaviour, &pp, &device),
                  c.expected)
            << c.name;
        EXPECT_EQ(device, nullptr) << c.name;
        EXPECT_EQ(orvd3d8::LiveObjectCount(), 1u) << c.name;
    }
}

TEST_F(D3D8Runtime, InjectedCreateDeviceFailureMakesNoDeviceAndIsJournaled) {
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 2, D3DERR_DEVICELOST);
    for (HRESULT result : {D3D_OK, D3DERR_DEVICELOST, D3D_OK}) {
        EXPECT_EQ(Create(Windowed()), result);
        EXPECT_EQ(m_Device ? m_Device->Release() : 0u, 0u);
        m_Device = nullptr;
    }
    std::vector<orvplatform::Call> calls = orvplatform::CallsOf("IDirect3D8::CreateDevice");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[1].injected);
    EXPECT_FALSE(calls[2].injected);
    ASSERT_GE(calls[0].args.size(), 3u);
    EXPECT_EQ(calls[0].args[2], orvplatform::Arg(m_Window));
}

}  // namespace
