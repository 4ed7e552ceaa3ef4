// Device state: the point-size defaults, refusals of unknown states, and an
// injected failure that changes nothing.
#include <cstring>

#include "D3D8Fixture.h"

namespace {

class D3D8DeviceState : public D3D8Fixture {};

TEST_F(D3D8DeviceState, PointSizeLimitsStartAtZeroAndTheCapsMaximum) {
    ASSERT_NE(Device(), nullptr);
    D3DCAPS8 caps{};
    ASSERT_EQ(m_Device->GetDeviceCaps(&caps), D3D_OK);
    DWORD minimum = 0xDEADBEEF, maximum = 0;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_POINTSIZE_MIN, &minimum), D3D_OK);
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_POINTSIZE_MAX, &maximum), D3D_OK);
    float largest = 0.0f;
    std::memcpy(&largest, &maximum, sizeof largest);
    EXPECT_EQ(minimum, 0u);
    EXPECT_EQ(largest, caps.MaxPointSize);
}

TEST_F(D3D8DeviceState, UnknownStatesAndStagesAreRefused) {
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

TEST_F(D3D8DeviceState, InjectedFailureChangesNothingAndTheJournalRecordsArguments) {
    ASSERT_NE(Device(), nullptr);
    orvplatform::ClearJournal();
    orvplatform::FailNthCall("IDirect3DDevice8::SetRenderState", 2, D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER), D3D_OK);
    DWORD cull = 0;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_CULLMODE, &cull), D3D_OK);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));

    std::vector<orvplatform::Call> set = orvplatform::CallsOf("IDirect3DDevice8::SetRenderState");
    ASSERT_EQ(set.size(), 3u);
    EXPECT_TRUE(set[1].injected);
    EXPECT_EQ(set[1].result, D3DERR_INVALIDCALL);
    EXPECT_EQ(set[2].args, (std::vector<uint64_t>{D3DRS_ZFUNC, D3DCMP_GREATER}));
}

}  // namespace
