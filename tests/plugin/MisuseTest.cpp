// A careless host and a device that goes away: a device lost in the middle of
// a frame, buffers, fonts, quads and textures of a device that a reset or a
// mode switch replaced, and pointers to what a failed reset destroyed. The
// driver refuses what it cannot use with one log line and no Direct3D call,
// keeps answering, and lets nothing outlive its holders. Null where a record
// belongs is refused the same way.
//
// Every operation called before the first display and after it closed: those
// that need a device refuse (false or null) instead of reaching for one, the
// others keep what they can without one, and nothing reaches a device.
// Objects made while a display was open are refused or harmless afterwards.
#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

#include "host/Font.h"
#include "host/IndexBuffer.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"
#include "support/ImageFiles.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::DisplayTest;
using orvtest::PluginTest;

// Calls in the journal (since it was last cleared) whose name begins with
// `prefix` and not with `except`.
size_t CallsStarting(const char* prefix, const char* except = "\n") {
    size_t count = 0;
    for (const orvplatform::Call& call : orvplatform::Journal())
        count += call.api.rfind(prefix, 0) == 0 && call.api.rfind(except, 0) != 0;
    return count;
}

class Misuse : public DisplayTest {
protected:
    static size_t LiveDevices() { return LiveObjects("IDirect3DDevice8 "); }
    // A small bitmap on disk, which a reset can load again.
    static std::string TextureFile(const char* name) { return Write(name, BmpFile(Bmp::Rgb24, 4, 4, false).bytes); }
    // Runs `call` alone and checks that it logged exactly `line` and made no
    // Direct3D call.
    void ExpectRefused(const std::function<void()>& call, const std::string& line, const std::string& what) {
        ClearLinesAndJournal();
        call();
        EXPECT_EQ(Lines(), std::vector<std::string>{line}) << what;
        EXPECT_EQ(CallsStarting("IDirect3D"), 0u) << what;
    }
};

TEST_F(Misuse, ADeviceLostMidFrameComesBackThroughResetDevice) {
    Texture* texture = m_pRenderer->CreateTextureFromFile(TextureFile("lost.bmp").c_str(), true, false);
    Material* material = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(texture && material && material->AddLayer(texture));
    const size_t liveWithDisplay = orvd3d8::LiveObjectCount();
    auto frame = [&] {  // every step, in order, even after one failed
        const bool steps[] = {m_pRenderer->BeginScene(), m_pRenderer->Clear(true, true, false),
                              m_pRenderer->SetMaterial(material), DrawTriangle(),
                              m_pRenderer->PrintText(0, 0, "frame"), m_pRenderer->EndScene()};
        return std::count(std::begin(steps), std::end(steps), false) == 0;
    };
    ASSERT_TRUE(frame());

    orvd3d8::SetDeviceLost(m_pD3D, true);
    ClearLines();
    EXPECT_FALSE(frame());
    EXPECT_EQ(Lines(), std::vector<std::string>{"D3DDriver: Present failed (HR:D3DERR_DEVICELOST)."});
    EXPECT_FALSE(frame());  // lost until the host resets

    ASSERT_TRUE(m_pRenderer->ResetDevice());
    IDirect3DDevice8* device = orvd3d8::LastDevice();
    ClearLines();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(frame()) << i;
    EXPECT_TRUE(Lines().empty());
    // The material's texture came back on the new device and was drawn with.
    const auto draws = orvd3d8::DrawsOf(device);
    EXPECT_TRUE(std::any_of(draws.begin(), draws.end(), [](const orvd3d8::DrawRecord& draw) {
        return draw.kind == orvd3d8::DrawKind::PrimitiveUP && draw.texture0;
    }));
    EXPECT_EQ(LiveDevices(), 1u);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), liveWithDisplay);
    EXPECT_TRUE(m_pRenderer->SetMaterial(nullptr) && m_pRenderer->ReleaseMaterial(material) &&
                m_pRenderer->ReleaseTexture(texture));
}

// After a reset and after a mode switch, what the host made on the old device
// is refused, without a Direct3D call; a quad, which holds no Direct3D object,
// draws on the new device, and a buffer made again there binds. Once the host
// gives the old objects back, the old device goes.
TEST_F(Misuse, BuffersFontsQuadsAndTexturesOfAReplacedDevice) {
    const struct { const char* name; bool (*change)(RenderDevice*); bool texturesReloaded; } cases[] = {
        {"reset", [](RenderDevice* d) { return d->ResetDevice(); }, true},
        {"mode switch", [](RenderDevice* d) { return d->SetDisplayMode(800, 600, 32, 0, 0, true); }, false},
    };
    const std::string path = TextureFile("switch.bmp");
    for (const auto& c : cases) {
        VertexBuffer* vertices = m_pRenderer->CreateVertexBuffer(3, false, false);
        VertexBuffer* dynamicVertices = m_pRenderer->CreateVertexBuffer(3, true, false);
        IndexBuffer* indices = m_pRenderer->CreateIndexBuffer(3, true);
        Font* font = m_pRenderer->CreateTextFont("Arial", 12, false, false);
        ScreenQuad* quad = m_pRenderer->CreateScreenQuad(RECT{10, 10, 20, 20}, 0xFFFFFFFF);
        Texture* texture = m_pRenderer->CreateTextureFromFile(path.c_str(), true, false);
        ASSERT_TRUE(vertices && dynamicVertices && indices && font && quad && texture) << c.name;
        ASSERT_TRUE(vertices->Upload() && m_pRenderer->SetVertexBuffer(vertices) && m_pRenderer->SetIndexBuffer(indices));
        ASSERT_TRUE(c.change(m_pRenderer) && m_pRenderer->BeginScene()) << c.name;
        IDirect3DDevice8* device = orvd3d8::LastDevice();

        const std::string render = "Failed to render D3D vertex buffer: the buffer's display was closed.",
                          bind = "D3DDriver::SetVertexBuffer: the buffer's display was closed.";
        const struct { std::function<bool()> call; std::string line; } refused[] = {
            {[&] { return m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1); }, render},
            {[&] { return m_pRenderer->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 0, 1, 0); }, render},
            {[&] { return m_pRenderer->SetVertexBuffer(vertices); }, bind},
            {[&] { return m_pRenderer->SetVertexBuffer(dynamicVertices); }, bind},
            {[&] { return m_pRenderer->SetIndexBuffer(indices); }, "D3DDriver::SetIndexBuffer: the buffer's display was closed."},
            {[&] { return font->Print(0, 0, 0xFFFFFFFF, "old"); }, "D3DFont::Print: the font's display was closed."},
        };
        for (const auto& r : refused) ExpectRefused([&] { EXPECT_FALSE(r.call()) << r.line; }, r.line, c.name);

        // A texture comes back with a reset; after a mode switch its frames
        // stay on the old device until one.
        ClearLinesAndJournal();
        m_pRenderer->SetTexture(0, texture);
        EXPECT_EQ(Lines(), c.texturesReloaded ? std::vector<std::string>{}
                                              : std::vector<std::string>{"D3DDriver::SetTexture: the texture's display was closed."});
        EXPECT_EQ(CallsStarting("IDirect3D"), c.texturesReloaded ? 1u : 0u) << c.name;

        orvd3d8::ClearDraws(device);
        m_pRenderer->SetTexture(0, nullptr);
        EXPECT_TRUE(m_pRenderer->RenderScreenQuad(quad) && vertices->Resize(3) && vertices->Upload() &&
                    m_pRenderer->SetVertexBuffer(vertices) &&
                    m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1)) << c.name;
        EXPECT_EQ(orvd3d8::DrawsOf(device).size(), 2u) << c.name;
        EXPECT_TRUE(m_pRenderer->EndScene()) << c.name;

        EXPECT_EQ(LiveDevices(), 2u) << c.name;  // the old one, held by its objects
        m_pRenderer->DestroyVertexBuffer(vertices), m_pRenderer->DestroyVertexBuffer(dynamicVertices);
        m_pRenderer->DestroyIndexBuffer(indices), m_pRenderer->DestroyTextFont(font);
        m_pRenderer->DestroyScreenQuad(quad);
        EXPECT_EQ(LiveDevices(), c.texturesReloaded ? 1u : 2u) << c.name;
        m_pRenderer->ReleaseTexture(texture);
        EXPECT_EQ(LiveDevices(), 1u) << c.name;
    }
}

// A failed reset destroys every texture and material; the host still holds
// its pointers and hands them back with a display open again.
TEST_F(Misuse, TexturesAndMaterialsDestroyedByAFailedResetAreRefused) {
    const std::string path = TextureFile("stale.bmp");
    Texture* shared = m_pRenderer->CreateTextureFromFile(path.c_str(), true, false);
    Texture* unique = m_pRenderer->CreateTextureFromFile(path.c_str(), true, true);
    Texture* created = m_pRenderer->CreateTexture(4, 4, false, 0);
    Material* material = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(shared && unique && created && material && material->AddLayer(shared) &&
                m_pRenderer->SetMaterial(material));
    orvplatform::FailEveryCall("IDirect3D8::CreateDevice", D3DERR_DEVICELOST);
    EXPECT_FALSE(m_pRenderer->ResetDevice());
    orvplatform::ClearFailures();
    ASSERT_TRUE(m_pRenderer->SetDisplayMode(640, 480, 32, 0, 0, true));

    // (Before anything new is made: a new object may take a destroyed one's
    // address, and a pointer is all the driver has to go by.)
    for (Texture* stale : {shared, unique, created}) {
        ExpectRefused([&] { m_pRenderer->SetTexture(0, stale); },
                      "D3DDriver::SetTexture: Not a texture of this driver.", "SetTexture");
        ExpectRefused([&] { EXPECT_TRUE(m_pRenderer->ReleaseTexture(stale)); },
                      "D3DDriver::ReleaseTexture: Not a texture of this driver.", "ReleaseTexture");
    }
    ExpectRefused([&] { EXPECT_FALSE(m_pRenderer->SetMaterial(material)); },
                  "D3DDriver::SetMaterial: Not a material of this driver.", "SetMaterial");
    ExpectRefused([&] { EXPECT_FALSE(m_pRenderer->ReleaseMaterial(material)); },
                  "D3DDriver::ReleaseMaterial: Not a material of this driver.", "ReleaseMaterial");
    EXPECT_EQ(m_pRenderer->GetMaterial(), nullptr);

    Material* fresh = m_pRenderer->CreateMaterial();
    MaterialLayer* layer = fresh->AddLayer();
    ASSERT_NE(layer, nullptr);
    for (Texture* stale : {shared, unique, created}) {
        ExpectRefused([&] { EXPECT_EQ(fresh->AddLayer(stale), nullptr); },
                      "D3DMaterial::AddLayer: Not a texture of this driver.", "AddLayer");
        ExpectRefused([&] { EXPECT_FALSE(layer->SetTexture(stale)); },
                      "D3DMaterialLayer::SetTexture: Not a texture of this driver.", "SetTexture");
    }
    EXPECT_TRUE(fresh->GetLayerCount() == 1 && layer->GetTexture() == nullptr);
}

// Null where the host should pass a record or a text, in the middle of a
// frame with a vertex buffer bound: each refused with one log line and no
// Direct3D call, the transforms kept on the device and in the driver, and
// the frame after them draws.
TEST_F(Misuse, NullRecordsAreRefusedMidFrame) {
    VertexBuffer* vertices = Kept(m_pRenderer->CreateVertexBuffer(3, false, false), &RenderDevice::DestroyVertexBuffer);
    Font* font = Kept(m_pRenderer->CreateTextFont("Arial", 12, false, false), &RenderDevice::DestroyTextFont);
    const Matrix3D world = m_pRenderer->BuildOrthoMatrix(64.0f, 48.0f);
    m_pRenderer->SetWorldMatrix(&world);
    ASSERT_TRUE(vertices && font && vertices->Upload() && m_pRenderer->SetVertexBuffer(vertices) &&
                m_pRenderer->BeginScene());
    auto transforms = [&] {  // the driver's copies, then the device's
        std::vector<Matrix3D> held = {m_pRenderer->GetWorldMatrix(), m_pRenderer->GetViewMatrix(),
                                      m_pRenderer->GetProjectionMatrix()};
        for (D3DTRANSFORMSTATETYPE kind : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) {
            D3DMATRIX matrix = {};
            m_pD3D->GetTransform(kind, &matrix);
            std::memcpy(held.emplace_back().m, &matrix, sizeof matrix);
        }
        return held;
    };
    const char* const noText = nullptr;
    const struct { std::function<bool()> refused; std::string line; } rows[] = {
        {[&] { return m_pRenderer->SetWorldMatrix(nullptr), true; }, "D3DDriver::SetWorldMatrix: no matrix."},
        {[&] { return m_pRenderer->SetViewMatrix(nullptr), true; }, "D3DDriver::SetViewMatrix: no matrix."},
        {[&] { return m_pRenderer->SetProjectionMatrix(nullptr), true; }, "D3DDriver::SetProjectionMatrix: no matrix."},
        {[&] { return !m_pRenderer->GetAdapterInfo(0, nullptr); }, "D3DDriver::GetAdapterInfo: no adapter info."},
        {[&] { return !m_pRenderer->GetDisplayModeInfo(0, 0, nullptr); }, "D3DDriver::GetDisplayModeInfo: no display mode."},
        {[&] { return !m_pRenderer->GetDisplayMode(nullptr); }, "D3DDriver::GetDisplayMode: no display mode."},
        {[&] { return !m_pRenderer->SetDisplayMode(nullptr); }, "D3DDriver::SetDisplayMode: no display mode."},
        {[&] { return !m_pRenderer->PrintText(0, 0, noText); }, "D3DDriver::PrintText: no text."},
        {[&] { return !font->Print(0, 0, 0xFFFFFFFF, noText); }, "D3DFont::Print: no text."},
        {[&] { return font->GetTextWidth(noText) == 0; }, "D3DFont::GetTextWidth: no text."},
    };
    const std::vector<Matrix3D> before = transforms();
    EXPECT_TRUE(before[0] == world && before[3] == world);
    for (const auto& row : rows) {
        ExpectRefused([&] { EXPECT_TRUE(row.refused()) << row.line; }, row.line, row.line);
        EXPECT_EQ(transforms(), before) << row.line;
    }
    ClearLines();
    orvd3d8::ClearDraws(m_pD3D);
    EXPECT_TRUE(m_pRenderer->EndScene() && m_pRenderer->BeginScene() &&
                m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) && m_pRenderer->EndScene());
    EXPECT_EQ(orvd3d8::DrawsOf(m_pD3D).size(), 1u);
    EXPECT_TRUE(Lines().empty());
}

class NoDisplay : public PluginTest {
protected:
    // Journal entries of a device or of one of its resources.
    static size_t DeviceCalls() { return CallsStarting("IDirect3D", "IDirect3D8::"); }

    // Every operation of the interface, once (the display switches and the
    // destructor excepted).
    void CallEverything(RenderDevice* device) {
        orvplatform::ClearJournal();
        AdapterInfo adapter;
        DisplayMode mode;
        EXPECT_TRUE(device->GetAdapterInfo(0, &adapter) && device->GetDisplayModeInfo(0, 0, &mode) &&
                    device->ValidateDisplayMode(&mode) && device->GetDisplayMode(&mode) == &mode);
        device->SetTextureBitDepth(32), device->SetTextureFilter(2);
        device->SetOptionA(true), device->SetOptionB(3), device->SetOptionC(true);
        // The projection is kept only by a device.
        const Matrix3D before = device->GetProjectionMatrix();
        const Matrix3D projection = device->BuildPerspectiveMatrix(1.0f, 1.5f);
        device->SetProjectionMatrix(&projection);
        EXPECT_TRUE(device->GetProjectionMatrix() == before);
        const Matrix3D ortho = device->BuildOrthoMatrix(640.0f, 480.0f);
        device->SetWorldMatrix(&ortho), device->SetViewMatrix(&ortho);
        device->SetClearColor(0xFF00FF00), device->SetClearDepth(0.5f), device->SetClearStencil(1);

        // State without a device to hold it: nothing is set, getters say 0.
        device->SetViewport(0, 640, 0, 480), device->SetDefaultStates();
        device->SetRenderState(RENDERSTATE_SRCBLEND, BLEND_SRCALPHA);
        device->SetShadeMode(SHADE_GOURAUD), device->SetFillMode(FILL_SOLID), device->SetCullMode(CULL_CCW);
        device->SetZEnable(true), device->SetZFunc(COMPARE_LESSEQUAL), device->SetAlphaBlendEnable(true);
        device->SetSrcBlend(BLEND_SRCALPHA), device->SetDestBlend(BLEND_INVSRCALPHA);
        EXPECT_FALSE(device->GetZEnable() || device->GetAlphaBlendEnable());
        LightDesc light = {};
        device->SetLighting(true), device->SetAmbient(0xFF202020);
        device->SetLight(0, nullptr), device->SetLight(0, &light), device->EnableLight(0, true);
        device->SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE);
        device->DisableTexturing(), device->SetTexture(0, nullptr);

        // Materials are the driver's own objects; one can be made current.
        EXPECT_EQ(device->LoadMaterial(OutputPath("absent.xml").c_str()), nullptr);
        Material* material = device->CreateMaterial();
        ASSERT_NE(material, nullptr);
        EXPECT_TRUE(device->SetMaterial(material) && device->SetMaterial(nullptr) && device->ReleaseMaterial(material));

        // Everything that makes or draws with device resources refuses.
        EXPECT_FALSE(device->CreateTextFont("Arial", 12, false, false) || device->CreateVertexBuffer(4, true, false) ||
                     device->CreateIndexBuffer(4, true) || device->CreateTexture(8, 8, false, 1) ||
                     device->CreateTextureFromFile(OutputPath("absent.bmp").c_str(), false, false) ||
                     device->CreateTextureFromFileSequence("a0.tga", 15, false, false));
        EXPECT_TRUE(device->ReleaseTexture(nullptr) && device->DestroyVertexBuffer(nullptr) &&
                    device->DestroyIndexBuffer(nullptr) && device->DestroyTextFont(nullptr));
        EXPECT_FALSE(device->SetVertexBuffer(nullptr) || device->SetIndexBuffer(nullptr));
        Vertex vertices[3];
        EXPECT_FALSE(device->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) ||
                     device->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 0, 1, 0) ||
                     device->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, vertices));
        // A quad lives in system memory and can be made at any time.
        ScreenQuad* quad = device->CreateScreenQuad(RECT{0, 0, 4, 4}, 0xFFFFFFFF);
        ASSERT_NE(quad, nullptr);
        EXPECT_TRUE(!device->RenderScreenQuad(quad) && device->DestroyScreenQuad(quad));
        // Text waits in the queue for a display.
        EXPECT_TRUE(device->PrintText(0, 0, "waiting"));
        EXPECT_FALSE(device->BeginScene() || device->Clear(true, true, false) || device->EndScene());
        EXPECT_EQ(device->GetTriangleCount(), 0u);
        EXPECT_FALSE(device->ResetDevice() || device->SaveScreenShot(OutputPath("never.bmp").c_str()) ||
                     device->DumpRenderStates() || device->DumpTextureStageStates(0));
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
    ASSERT_TRUE(device->BeginScene() && device->EndScene());
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
    ASSERT_TRUE(vertices && indices && font && texture && material && material->AddLayer(texture) &&
                device->SetVertexBuffer(vertices) && device->CloseDisplay());

    ClearLinesAndJournal();
    EXPECT_FALSE(device->SetVertexBuffer(vertices) || device->SetIndexBuffer(indices) ||
                 device->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) || font->Print(0, 0, 0xFFFFFFFF, "closed"));
    EXPECT_GT(font->GetTextWidth("still measures"), 0);
    device->SetTexture(0, texture);
    EXPECT_TRUE(device->SetMaterial(material));
    EXPECT_EQ(DeviceCalls(), 0u);
    EXPECT_EQ(Lines(), std::vector<std::string>{"D3DFont::Print: the font's display was closed."});
    // A buffer made again without a display is left empty, not counting
    // elements it does not have.
    EXPECT_FALSE(indices->Resize(5));
    EXPECT_TRUE(indices->GetIndexCount() == 0 && indices->GetIndices() == nullptr);
    // They can still be given back; the last of them lets the old device go.
    EXPECT_TRUE(device->SetMaterial(nullptr) && device->ReleaseMaterial(material) && device->ReleaseTexture(texture) &&
                device->DestroyTextFont(font) && device->DestroyIndexBuffer(indices) &&
                device->DestroyVertexBuffer(vertices));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 1u);  // the Direct3D object alone
}

}  // namespace
