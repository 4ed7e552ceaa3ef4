// Every operation called before the first display and after it closed: those
// that need a device refuse (false or null) instead of reaching for one, the
// others keep what they can without one, and nothing reaches a device.
// Objects made while a display was open are refused or harmless afterwards.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Font.h"
#include "host/IndexBuffer.h"
#include "host/Material.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

class NoDisplay : public PluginTest {
protected:
    // Journal entries of a device or of one of its resources.
    static size_t DeviceCalls() {
        size_t count = 0;
        for (const orvplatform::Call& call : orvplatform::Journal())
            if (call.api.rfind("IDirect3D8::", 0) != 0 && call.api.rfind("IDirect3D", 0) == 0) ++count;
        return count;
    }

    // Every operation of the interface, once (the display switches and the
    // destructor excepted).
    void CallEverything(RenderDevice* device) {
        orvplatform::ClearJournal();
        AdapterInfo adapter;
        DisplayMode mode;
        EXPECT_TRUE(device->GetAdapterInfo(0, &adapter) && device->GetDisplayModeInfo(0, 0, &mode));
        EXPECT_TRUE(device->ValidateDisplayMode(&mode));
        EXPECT_EQ(device->GetDisplayMode(&mode), &mode);
        device->SetTextureBitDepth(32);
        device->SetTextureFilter(2);
        device->SetOptionA(true);
        device->SetOptionB(3);
        device->SetOptionC(true);
        // The projection is kept only by a device.
        const Matrix3D before = device->GetProjectionMatrix();
        const Matrix3D projection = device->BuildPerspectiveMatrix(1.0f, 1.5f);
        device->SetProjectionMatrix(&projection);
        EXPECT_TRUE(device->GetProjectionMatrix() == before);
        const Matrix3D ortho = device->BuildOrthoMatrix(640.0f, 480.0f);
        device->SetWorldMatrix(&ortho);
        device->SetViewMatrix(&ortho);
        device->SetClearColor(0xFF00FF00);
        device->SetClearDepth(0.5f);
        device->SetClearStencil(1);

        // State without a device to hold it: nothing is set, getters say 0.
        device->SetViewport(0, 640, 0, 480);
        device->SetDefaultStates();
        device->SetRenderState(RENDERSTATE_SRCBLEND, BLEND_SRCALPHA);
        device->SetShadeMode(SHADE_GOURAUD);
        device->SetFillMode(FILL_SOLID);
        device->SetCullMode(CULL_CCW);
        device->SetZEnable(true);
        device->SetZFunc(COMPARE_LESSEQUAL);
        device->SetAlphaBlendEnable(true);
        device->SetSrcBlend(BLEND_SRCALPHA);
        device->SetDestBlend(BLEND_INVSRCALPHA);
        EXPECT_FALSE(device->GetZEnable() || device->GetAlphaBlendEnable());
        device->SetLighting(true);
        device->SetAmbient(0xFF202020);
        device->SetLight(0, nullptr);
        LightDesc light = {};
        device->SetLight(0, &light);
        device->EnableLight(0, true);
        device->SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE);
        device->DisableTexturing();
        device->SetTexture(0, nullptr);

        // Materials are the driver's own objects; one can be made current.
        EXPECT_EQ(device->LoadMaterial(OutputPath("absent.xml").c_str()), nullptr);
        Material* material = device->CreateMaterial();
        ASSERT_NE(material, nullptr);
        EXPECT_TRUE(device->SetMaterial(material));
        EXPECT_TRUE(device->SetMaterial(nullptr));
        EXPECT_TRUE(device->ReleaseMaterial(material));

        // Everything that makes or draws with device resources refuses.
        EXPECT_EQ(device->CreateTextFont("Arial", 12, false, false), nullptr);
        EXPECT_EQ(device->CreateVertexBuffer(4, true, false), nullptr);
        EXPECT_EQ(device->CreateIndexBuffer(4, true), nullptr);
        EXPECT_EQ(device->CreateTexture(8, 8, false, 1), nullptr);
        EXPECT_EQ(device->CreateTextureFromFile(OutputPath("absent.bmp").c_str(), false, false), nullptr);
        EXPECT_EQ(device->CreateTextureFromFileSequence("a0.tga", 15, false, false), nullptr);
        EXPECT_TRUE(device->ReleaseTexture(nullptr) && device->DestroyVertexBuffer(nullptr) &&
                    device->DestroyIndexBuffer(nullptr) && device->DestroyTextFont(nullptr));
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
        // Text waits in the queue for a display.
        EXPECT_TRUE(device->PrintText(0, 0, "waiting"));
        EXPECT_FALSE(device->BeginScene());
        EXPECT_FALSE(device->Clear(true, true, false));
        EXPECT_FALSE(device->EndScene());
        EXPECT_EQ(device->GetTriangleCount(), 0u);
        EXPECT_FALSE(device->ResetDevice());
        EXPECT_FALSE(device->SaveScreenShot(OutputPath("never.bmp").c_str()));
        EXPECT_FALSE(device->DumpRenderStates());
        EXPECT_FALSE(device->DumpTextureStageStates(0));
        EXPECT_TRUE(device->CloseDisplay());
        EXPECT_EQ(DeviceCalls(), 0u);
    }
};

TEST_F(NoDisplay, BeforeTheFirstDisplayAndAfterItClosed) {
    RenderDevice* device = Create();
    ASSERT_NE(device, nullptr);
    CallEverything(device);
    const std::vector<std::string> refusals = {
        "D3DDriver::CreateTextFont: no display.", "Failed to create D3D vertex buffer: no display.",
        "Failed to create D3D index buffer: no display.", "D3DDriver failed to create new 8x8 texture.",
        "D3DDriver::CreateTextureFromFileSequence: Failed to load a0.tga"};
    for (const std::string& line : refusals) EXPECT_EQ(CountLogged(line), 1u) << line;
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 0u);

    // The text queued without a display is drawn by the first frame that has one.
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::DrawPrimitive"), 1u);

    ASSERT_TRUE(device->CloseDisplay());
    ClearLines();
    CallEverything(device);
    for (const std::string& line : refusals) EXPECT_EQ(CountLogged(line), 1u) << line;
}

// What the host made while the display was open, used after it closed.
TEST_F(NoDisplay, ObjectsOfAClosedDisplayAreRefusedOrHarmless) {
    RenderDevice* device = CreateWindowed();
    VertexBuffer* vertices = device->CreateVertexBuffer(3, false, false);
    IndexBuffer* indices = device->CreateIndexBuffer(3, false);
    Font* font = device->CreateTextFont("Arial", 12, false, false);
    Texture* texture = device->CreateTexture(4, 4, false, 0);
    Material* material = device->CreateMaterial();
    ASSERT_TRUE(vertices && indices && font && texture && material);
    ASSERT_TRUE(material->AddLayer(texture));
    ASSERT_TRUE(device->SetVertexBuffer(vertices));
    ASSERT_TRUE(device->CloseDisplay());

    orvplatform::ClearJournal();
    ClearLines();
    EXPECT_FALSE(device->SetVertexBuffer(vertices));
    EXPECT_FALSE(device->SetIndexBuffer(indices));
    EXPECT_FALSE(device->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1));
    EXPECT_FALSE(font->Print(0, 0, 0xFFFFFFFF, "closed"));
    EXPECT_GT(font->GetTextWidth("still measures"), 0);
    device->SetTexture(0, texture);
    EXPECT_TRUE(device->SetMaterial(material));
    EXPECT_EQ(DeviceCalls(), 0u);
    EXPECT_EQ(Lines(), std::vector<std::string>{"D3DFont::Print: the font's display was closed."});
    // They can still be given back; the last of them lets the old device go.
    EXPECT_TRUE(device->SetMaterial(nullptr));
    EXPECT_TRUE(device->ReleaseMaterial(material));
    EXPECT_TRUE(device->ReleaseTexture(texture));
    EXPECT_TRUE(device->DestroyTextFont(font));
    EXPECT_TRUE(device->DestroyIndexBuffer(indices));
    EXPECT_TRUE(device->DestroyVertexBuffer(vertices));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 1u);  // the Direct3D object alone
}

}  // namespace
