// Operations that need a display, called before the first one and after it
// closed: each refuses (false or null) instead of reaching for a device.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Font.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

class NoDisplay : public PluginTest {
protected:
    // The operations that create or draw with device resources, once.
    void CallEverything(RenderDevice* device) {
        EXPECT_EQ(device->CreateTextFont("Arial", 12, false, false), nullptr);
        EXPECT_EQ(device->CreateVertexBuffer(4, true, false), nullptr);
        EXPECT_EQ(device->CreateIndexBuffer(4, true), nullptr);
        EXPECT_EQ(device->CreateTexture(8, 8, false, 1), nullptr);
        EXPECT_FALSE(device->SetVertexBuffer(nullptr));
        EXPECT_FALSE(device->SetIndexBuffer(nullptr));
        Vertex vertices[3];
        EXPECT_FALSE(device->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1));
        EXPECT_FALSE(device->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 0, 1, 0));
        EXPECT_FALSE(device->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, vertices));
        // A quad lives in system memory and can be made at any time.
        ScreenQuad* quad = device->CreateScreenQuad(RECT{0, 0, 4, 4}, 0xFFFFFFFF);
        ASSERT_NE(quad, nullptr);
        EXPECT_FALSE(device->RenderScreenQuad(quad));
        EXPECT_TRUE(device->DestroyScreenQuad(quad));
        EXPECT_FALSE(device->BeginScene());
        EXPECT_FALSE(device->Clear(true, true, false));
        EXPECT_FALSE(device->EndScene());
        EXPECT_FALSE(device->ResetDevice());
        EXPECT_FALSE(device->SaveScreenShot(OutputPath("never.bmp").c_str()));
        EXPECT_FALSE(device->DumpRenderStates());
        EXPECT_FALSE(device->DumpTextureStageStates(0));
    }
};

TEST_F(NoDisplay, BeforeTheFirstDisplayAndAfterItClosed) {
    RenderDevice* device = Create();
    ASSERT_NE(device, nullptr);
    CallEverything(device);
    EXPECT_TRUE(Logged("D3DDriver::CreateTextFont: no display."));
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 0u);

    ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    ASSERT_TRUE(device->CloseDisplay());
    ClearLines();
    CallEverything(device);
    EXPECT_EQ(CountLogged("D3DDriver::CreateTextFont: no display."), 1u);
    EXPECT_EQ(CountLogged("Failed to create D3D vertex buffer: no display."), 1u);
    EXPECT_EQ(CountLogged("Failed to create D3D index buffer: no display."), 1u);
}

}  // namespace
