// A careless host and a device that goes away: a device lost in the middle of
// a frame, buffers, fonts, quads and textures of a device that a reset or a
// mode switch replaced, and pointers to what a failed reset destroyed. The
// driver refuses what it cannot use with one log line and no Direct3D call,
// keeps answering, and lets nothing outlive its holders.
#include <functional>
#include <string>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

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

class Misuse : public DisplayTest {
protected:
    static size_t LiveDevices() {
        size_t count = 0;
        for (const std::string& object : orvd3d8::LiveObjectDescriptions())
            if (object.rfind("IDirect3DDevice8 ", 0) == 0) ++count;
        return count;
    }
    // Journal entries of the Direct3D runtime since the journal was cleared.
    static size_t Direct3DCalls() {
        size_t count = 0;
        for (const orvplatform::Call& call : orvplatform::Journal())
            if (call.api.rfind("IDirect3D", 0) == 0) ++count;
        return count;
    }
    // A small bitmap on disk, which a reset can load again.
    static std::string TextureFile(const char* name) {
        const std::string path = OutputPath(name);
        const ImageFile file = BmpFile(Bmp::Rgb24, 4, 4, false);
        WriteText(path, std::string(file.bytes.begin(), file.bytes.end()));
        return path;
    }
    // Runs `call` alone and checks that it logged exactly `line` and made no
    // Direct3D call.
    void ExpectRefused(const std::function<void()>& call, const std::string& line,
                       const std::string& what) {
        orvplatform::ClearJournal();
        ClearLines();
        call();
        EXPECT_EQ(Lines(), std::vector<std::string>{line}) << what;
        EXPECT_EQ(Direct3DCalls(), 0u) << what;
    }
};

TEST_F(Misuse, ADeviceLostMidFrameComesBackThroughResetDevice) {
    Texture* texture = m_pRenderer->CreateTextureFromFile(TextureFile("lost.bmp").c_str(), true, false);
    Material* material = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(texture && material && material->AddLayer(texture));
    const size_t liveWithDisplay = orvd3d8::LiveObjectCount();
    auto frame = [&] {
        bool drawn = m_pRenderer->BeginScene();
        drawn = m_pRenderer->Clear(true, true, false) && drawn;
        drawn = m_pRenderer->SetMaterial(material) && drawn;
        drawn = DrawTriangle() && drawn;
        drawn = m_pRenderer->PrintText(0, 0, "frame") && drawn;
        return m_pRenderer->EndScene() && drawn;
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
    bool textured = false;
    for (const orvd3d8::DrawRecord& draw : orvd3d8::DrawsOf(device))
        textured = textured || (draw.kind == orvd3d8::DrawKind::PrimitiveUP && draw.texture0);
    EXPECT_TRUE(textured);
    EXPECT_EQ(LiveDevices(), 1u);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), liveWithDisplay);
    EXPECT_TRUE(m_pRenderer->SetMaterial(nullptr));
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(material));
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(texture));
}

// After a reset and after a mode switch, what the host made on the old device
// is refused, without a Direct3D call; a quad, which holds no Direct3D object,
// draws on the new device, and a buffer made again there binds. Once the host
// gives the old objects back, the old device goes.
TEST_F(Misuse, BuffersFontsQuadsAndTexturesOfAReplacedDevice) {
    const struct {
        const char* name;
        bool (*change)(RenderDevice*);
        bool texturesReloaded;
    } cases[] = {
        {"reset", [](RenderDevice* d) { return d->ResetDevice(); }, true},
        {"mode switch", [](RenderDevice* d) { return d->SetDisplayMode(800, 600, 32, 0, 0, true); },
         false},
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
        ASSERT_TRUE(vertices->Upload() && m_pRenderer->SetVertexBuffer(vertices));
        ASSERT_TRUE(m_pRenderer->SetIndexBuffer(indices));
        ASSERT_TRUE(c.change(m_pRenderer)) << c.name;
        IDirect3DDevice8* device = orvd3d8::LastDevice();
        ASSERT_TRUE(m_pRenderer->BeginScene());

        const struct {
            std::function<bool()> call;
            const char* line;
        } refused[] = {
            {[&] { return m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1); },
             "Failed to render D3D vertex buffer: the buffer's display was closed."},
            {[&] { return m_pRenderer->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 0, 1, 0); },
             "Failed to render D3D vertex buffer: the buffer's display was closed."},
            {[&] { return m_pRenderer->SetVertexBuffer(vertices); },
             "D3DDriver::SetVertexBuffer: the buffer's display was closed."},
            {[&] { return m_pRenderer->SetVertexBuffer(dynamicVertices); },
             "D3DDriver::SetVertexBuffer: the buffer's display was closed."},
            {[&] { return m_pRenderer->SetIndexBuffer(indices); },
             "D3DDriver::SetIndexBuffer: the buffer's display was closed."},
            {[&] { return font->Print(0, 0, 0xFFFFFFFF, "old"); },
             "D3DFont::Print: the font's display was closed."},
        };
        for (const auto& r : refused)
            ExpectRefused([&] { EXPECT_FALSE(r.call()) << r.line; }, r.line, c.name);

        // A texture comes back with a reset; after a mode switch its frames
        // stay on the old device until one.
        orvplatform::ClearJournal();
        ClearLines();
        m_pRenderer->SetTexture(0, texture);
        if (c.texturesReloaded) {
            EXPECT_TRUE(Lines().empty()) << c.name;
            EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::SetTexture"), 1u) << c.name;
        } else {
            ExpectRefused([&] { m_pRenderer->SetTexture(0, texture); },
                          "D3DDriver::SetTexture: the texture's display was closed.", c.name);
        }

        orvd3d8::ClearDraws(device);
        m_pRenderer->SetTexture(0, nullptr);
        EXPECT_TRUE(m_pRenderer->RenderScreenQuad(quad)) << c.name;
        EXPECT_TRUE(vertices->Resize(3) && vertices->Upload()) << c.name;
        EXPECT_TRUE(m_pRenderer->SetVertexBuffer(vertices)) << c.name;
        EXPECT_TRUE(m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1)) << c.name;
        EXPECT_EQ(orvd3d8::DrawsOf(device).size(), 2u) << c.name;
        EXPECT_TRUE(m_pRenderer->EndScene()) << c.name;

        EXPECT_EQ(LiveDevices(), 2u) << c.name;  // the old one, held by its objects
        m_pRenderer->DestroyVertexBuffer(vertices);
        m_pRenderer->DestroyVertexBuffer(dynamicVertices);
        m_pRenderer->DestroyIndexBuffer(indices);
        m_pRenderer->DestroyTextFont(font);
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
    ASSERT_TRUE(shared && unique && created && material && material->AddLayer(shared));
    ASSERT_TRUE(m_pRenderer->SetMaterial(material));
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
    EXPECT_EQ(fresh->GetLayerCount(), 1);
    EXPECT_EQ(layer->GetTexture(), nullptr);
}

}  // namespace
