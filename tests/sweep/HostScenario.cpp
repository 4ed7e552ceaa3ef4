#include "HostScenario.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <utility>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/FileSystem.h"
#include "host/Font.h"
#include "host/IndexBuffer.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/RenderDevice.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"
#include "support/PluginHarness.h"

namespace orvsweep {

namespace {

// A windowed display smaller than the desktop, then a full-screen mode of
// the adapter's list. The desktop and the full-screen mode are small: the
// fault sweep makes, resets and presents on devices thousands of times.
constexpr unsigned kWindowWidth = 256, kWindowHeight = 192;
constexpr unsigned kFullWidth = 320, kFullHeight = 240, kFullBits = 32, kFullRate = 60;
constexpr D3DDISPLAYMODE kDesktop = {kFullWidth, kFullHeight, kFullRate, D3DFMT_X8R8G8B8};
// Each frame moves the stand-in's clock on by this much: the animated
// textures change frame every few frames.
constexpr uint32_t kFrameMilliseconds = 40;
constexpr uint32_t kStartTick = 100000;

// Engine numbers the host uses (stage state 0 is the colour operation, 0
// disables it; for layers, operation 6 adds, argument 0 is the current
// colour, addressing 1 mirrors).
constexpr unsigned kColourOp = 0, kDisable = 0, kAdd = 6, kCurrent = 0, kMirror = 1;

const RECT kQuadRects[] = {{8, 40, 56, 88}, {64, 40, 112, 88}, {120, 40, 168, 88}, {176, 40, 224, 88}};
// One of each image format, loaded with and without mipmaps in turn.
constexpr const char* kImageFiles[] = {"image.bmp", "image.dib", "image.tga", "image.png", "image.dds", "blocks.dds",
                                       "image.jpg"};

// Two triangles of a square in front of the camera, turned by `angle`.
void Square(Vertex* out, float angle, float z, uint32_t colour) {
    const float c = std::cos(angle), s = std::sin(angle);
    const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) {
        const float x = corners[order[i]][0], y = corners[order[i]][1];
        Vertex& v = out[i];
        v.position = Vector3D(x * c - y * s, x * s + y * c, z), v.normal = Vector3D(0, 0, -1), v.diffuse = colour;
        v.u0 = v.u1 = v.u2 = (x + 1) / 2, v.v0 = v.v1 = v.v2 = (1 - y) / 2;
    }
}

}  // namespace

HostScenario::HostScenario(std::string screenshot) : m_Screenshot(std::move(screenshot)) {
    orvd3d8::AdapterConfig adapter = orvd3d8::DefaultAdapter();
    adapter.desktop = kDesktop;
    adapter.modes.push_back(kDesktop);
    orvd3d8::SetAdapters({adapter});
    orvtest::LoadPlugin();
    orvplatform::SetTickCount(kStartTick);
}

HostScenario::~HostScenario() {
    for (const Step& step : Closing()) Run(step);
}

void HostScenario::ForgetTexturesAndMaterials() {
    m_Textures.clear();
    m_pFilled = nullptr, m_pMaterialA = m_pMaterialB = m_pCodeMaterial = nullptr;
}

void HostScenario::ReleaseDeviceObjects() {
    m_pDriver->SetVertexBuffer(nullptr);
    m_pDriver->SetIndexBuffer(nullptr);
    if (m_pFont) m_pDriver->DestroyTextFont(m_pFont);
    for (VertexBuffer* buffer : {m_pVertices, m_pDynamic})
        if (buffer) m_pDriver->DestroyVertexBuffer(buffer);
    if (m_pIndices) m_pDriver->DestroyIndexBuffer(m_pIndices);
    m_pFont = nullptr, m_pVertices = m_pDynamic = nullptr, m_pIndices = nullptr;
}

std::vector<HostScenario::Step> HostScenario::Span(const std::string& first, const std::string& last) {
    const std::vector<Step>& all = AllSteps();
    const auto named = [](const std::string& name) { return [&name](const Step& step) { return step.name == name; }; };
    const auto begin = std::find_if(all.begin(), all.end(), named(first));
    return std::vector<Step>(begin, std::find_if(begin, all.end(), named(last)) + 1);
}

// Three frames: after the opening, after a reset and after a switch to full
// screen, each device with its own buffers and font.
const std::vector<HostScenario::Step>& HostScenario::Session() {
    static const std::vector<Step> session = [] {
        const std::pair<const char*, const char*> spans[] = {
            {"host starts", "EndScene"},           {"SaveScreenShot", "release device objects"},
            {"ResetDevice", "ResetDevice"},        {"make device objects", "EndScene"},
            {"release device objects", "ResetDevice"}, {"make device objects", "EndScene"},
            {"release everything", "host ends"}};
        std::vector<Step> steps;
        for (const auto& [first, last] : spans)
            for (const Step& step : Span(first, last)) steps.push_back(step);
        return steps;
    }();
    return session;
}

const std::vector<HostScenario::Step>& HostScenario::AllSteps() {
    static const std::vector<Step> steps = {
        // The opening.
        {"host starts", [](HostScenario& s) {
            s.m_pKernel = new Kernel(nullptr, false);
            s.m_pKernel->SetCapture(true);
            s.m_pKernel->m_pFileSystem->SetBaseDirectory(ORV_SWEEP_SESSION_DIR);
        }, false},
        {"CreatePlugin", [](HostScenario& s) {
            if (s.m_pKernel) s.m_pDriver = orvtest::LoadPlugin().createPlugin(s.m_pKernel);
        }, false},
        {"adapters and modes", [](HostScenario& s) {
            for (unsigned adapter = 0, adapters = s.m_pDriver->GetAdapterCount(); adapter < adapters; ++adapter) {
                AdapterInfo info;
                s.m_pDriver->GetAdapterInfo(adapter, &info);
                DisplayMode mode;
                for (unsigned index = 0, modes = s.m_pDriver->GetDisplayModeCount(adapter); index < modes; ++index)
                    s.m_pDriver->GetDisplayModeInfo(adapter, index, &mode);
            }
        }},
        {"windowed SetDisplayMode", [](HostScenario& s) {
            s.m_pDriver->SetTextureBitDepth(32);
            s.m_bDisplay = s.m_pDriver->SetDisplayMode(kWindowWidth, kWindowHeight, 32, 0, 0, true);
        }},
        {"image file textures", [](HostScenario& s) {
            for (size_t i = 0; i < std::size(kImageFiles); ++i)
                s.Keep(s.m_pDriver->CreateTextureFromFile(kImageFiles[i], i % 2 == 1, false));
        }},
        {"sequence texture", [](HostScenario& s) {
            s.Keep(s.m_pDriver->CreateTextureFromFileSequence("seq0.png", 12, false, false));
        }},
        {"ZAR texture", [](HostScenario& s) { s.Keep(s.m_pDriver->CreateTextureFromFile("plain.zar", true, false)); }},
        {"DXT ZAR texture", [](HostScenario& s) {
            s.Keep(s.m_pDriver->CreateTextureFromFile("blocks.zar", false, false));
        }},
        // Two frames the host paints itself and uploads in parts.
        {"filled texture", [](HostScenario& s) {
            constexpr unsigned kSide = 32;
            Texture* filled = s.m_pFilled = s.Keep(s.m_pDriver->CreateTexture(kSide, kSide, false, 2));
            if (!filled) return;
            for (unsigned frame = 0; frame < 2; ++frame)
                for (unsigned y = 0; y < kSide; ++y)
                    for (unsigned x = 0; x < kSide; ++x)
                        filled->SetPixel(x, y, 0xFF000000u | (x * 8) << 16 | (y * 8) << 8 | frame * 255, frame);
            filled->UpdateRect(0, 0, 0, kSide / 2, kSide / 2, true);
            filled->UpdateRect(1, 8, 8, kSide, kSide);
            filled->UpdateAllFrames(true);
        }},
        // Material A loads a file of its own and shares the sequence; material
        // B shares the ZAR file and the JPEG file, lit in a pass of its own.
        {"material file A", [](HostScenario& s) { s.m_pMaterialA = s.m_pDriver->LoadMaterial("a.xml"); }},
        {"material file B", [](HostScenario& s) { s.m_pMaterialB = s.m_pDriver->LoadMaterial("b.xml"); }},
        // The filled texture modulated by the diffuse colour, then a file of its
        // own added on in the same pass.
        {"material from code", [](HostScenario& s) {
            Material* material = s.m_pCodeMaterial = s.m_pDriver->CreateMaterial();
            if (!material) return;
            material->SetDiffuse(0.8f, 0.9f, 1.0f);
            material->SetCulling(false);
            material->SetZWrite(false);
            if (s.m_pFilled) material->AddLayer(s.m_pFilled);
            if (MaterialLayer* layer = material->AddLayer("code.tga")) {
                layer->SetColorOp(kAdd);
                layer->SetColorArg2(kCurrent);
                layer->SetAddressing(kMirror);
            }
        }},
        {"screen quads", [](HostScenario& s) {
            for (const RECT& rect : kQuadRects)
                if (ScreenQuad* quad = s.m_pDriver->CreateScreenQuad(rect, 0xFFFFFFFF)) s.m_Quads.push_back(quad);
            if (!s.m_Quads.empty()) s.m_Quads[0]->SetTexCoords(0, 0, 2, 0, 2, 2, 0, 2);
        }},
        // What belongs to one device: the host's font, a static and a dynamic
        // vertex buffer, an index buffer.
        {"make device objects", [](HostScenario& s) {
            s.m_pFont = s.m_pDriver->CreateTextFont("Arial", 10, false, true);
            if ((s.m_pVertices = s.m_pDriver->CreateVertexBuffer(6, false, false))) {
                Square(s.m_pVertices->GetVertices(), 0.0f, 6.0f, 0xFFFFFFFF);
                s.m_pVertices->Upload();
            }
            s.m_pDynamic = s.m_pDriver->CreateVertexBuffer(6, true, false);
            if ((s.m_pIndices = s.m_pDriver->CreateIndexBuffer(6, false))) {
                std::iota(s.m_pIndices->GetIndices(), s.m_pIndices->GetIndices() + 6, 0);
                s.m_pIndices->Upload();
            }
        }},

        // One frame.
        {"BeginScene", [](HostScenario& s) {
            ++s.m_Frame;
            orvplatform::AdvanceTickCount(kFrameMilliseconds);
            s.m_pDriver->BeginScene();
        }},
        {"Clear", [](HostScenario& s) {
            s.m_pDriver->SetClearColor(s.m_pDriver->ToD3DColor(Color(0.1f, 0.2f, 0.3f, 1.0f)));
            s.m_pDriver->Clear(true, true, false);
        }},
        // Transforms and a light, then material A over the static buffer.
        {"draw material A", [](HostScenario& s) {
            RenderDevice* driver = s.m_pDriver;
            const float angle = 0.05f * static_cast<float>(s.m_Frame);
            const Matrix3D world(std::cos(angle), std::sin(angle), 0, 0, -std::sin(angle), std::cos(angle), 0, 0,
                                 0, 0, 1, 0, 0, 0, 0, 1);
            const Matrix3D identity, projection = driver->BuildPerspectiveMatrix(0.8f, 4.0f / 3.0f);
            driver->SetWorldMatrix(&world);
            driver->SetViewMatrix(&identity);
            driver->SetProjectionMatrix(&projection);
            LightDesc light = {};
            light.type = LIGHT_DIRECTIONAL, light.diffuse = light.specular = 0xFFFFFFFF, light.range = 100.0f;
            light.direction = Vector3D(0, 0, 1);
            driver->SetLight(0, &light);
            driver->EnableLight(0, true);
            driver->SetAmbient(0xFF404040);
            driver->SetLighting(true);
            driver->SetMaterial(s.m_pMaterialA);
            if (!s.m_pVertices) return;
            driver->SetVertexBuffer(s.m_pVertices);
            driver->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
        }},
        {"draw material B indexed", [](HostScenario& s) {
            s.m_pDriver->SetMaterial(s.m_pMaterialB);
            if (!s.m_pVertices || !s.m_pIndices) return;
            s.m_pDriver->SetVertexBuffer(s.m_pVertices);
            s.m_pDriver->SetIndexBuffer(s.m_pIndices);
            s.m_pDriver->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 0, 2, 0);
            s.m_pDriver->SetIndexBuffer(nullptr);
        }},
        {"draw vertices", [](HostScenario& s) {
            Vertex square[6];
            Square(square, -0.03f * static_cast<float>(s.m_Frame), 8.0f, 0xC0FFFFFF);
            s.m_pDriver->SetMaterial(s.m_pCodeMaterial);
            s.m_pDriver->RenderVertices(PRIMITIVE_TRIANGLELIST, 2, square);
        }},
        // A buffer written every frame, drawn without a material.
        {"draw dynamic buffer", [](HostScenario& s) {
            s.m_pDriver->SetMaterial(nullptr);
            s.m_pDriver->SetLighting(false);
            if (!s.m_pDynamic) return;
            Square(s.m_pDynamic->GetVertices(), 0.1f * static_cast<float>(s.m_Frame), 10.0f, 0x80FF8040);
            if (!s.m_pDynamic->Upload()) return;
            s.m_pDriver->SetVertexBuffer(s.m_pDynamic);
            s.m_pDriver->RenderVertexBuffer(PRIMITIVE_TRIANGLESTRIP, 2);
            s.m_pDriver->SetVertexBuffer(nullptr);
        }},
        // Every texture on a quad, the animated ones at the frame the clock chooses.
        {"draw quads", [](HostScenario& s) {
            s.m_pDriver->SetMaterial(nullptr);
            s.m_pDriver->SetTextureStageState(1, kColourOp, kDisable);
            s.m_pDriver->SetZEnable(false);
            for (size_t i = 0; i < s.m_Textures.size() && !s.m_Quads.empty(); ++i) {
                s.m_pDriver->SetTexture(0, s.m_Textures[i]);
                s.m_Textures[i]->GetCurrentFrame();
                s.m_pDriver->RenderScreenQuad(s.m_Quads[i % s.m_Quads.size()]);
            }
            s.m_pDriver->SetTexture(0, nullptr);
            s.m_pDriver->SetZEnable(true);
        }},
        // Frame numbers are printed at a fixed width: every frame draws as many
        // characters (the stand-in keeps the draws' vertices).
        {"font Print", [](HostScenario& s) {
            if (!s.m_pFont) return;
            const int width = s.m_pFont->GetTextWidth("frame %05u", s.m_Frame);
            s.m_pFont->Print(kWindowWidth - width - 8, kWindowHeight - 20, 0xFFFFFF00, "frame %05u", s.m_Frame);
        }},
        {"PrintText", [](HostScenario& s) {
            s.m_pDriver->PrintText(8, 8, "Frame %05u, %u triangles", s.m_Frame, s.m_pDriver->GetTriangleCount());
            s.m_pDriver->PrintText(8, 24, "Textures %zu, 100%% careful", s.m_Textures.size());
        }},
        {"EndScene", [](HostScenario& s) { s.m_pDriver->EndScene(); }},

        // Between frames.
        {"SaveScreenShot", [](HostScenario& s) { s.m_pDriver->SaveScreenShot(s.m_Screenshot.c_str()); }},
        {"state dumps", [](HostScenario& s) {
            s.m_pDriver->DumpRenderStates();
            s.m_pDriver->DumpTextureStageStates(0);
        }},
        {"release device objects", [](HostScenario& s) { s.ReleaseDeviceObjects(); }},
        {"full-screen SetDisplayMode", [](HostScenario& s) {
            s.m_bDisplay = s.m_pDriver->SetDisplayMode(kFullWidth, kFullHeight, kFullBits, kFullRate, 0, false);
        }},
        // Without a display the driver refuses and destroys nothing; with one, a
        // failed reset destroyed every texture and material.
        {"ResetDevice", [](HostScenario& s) {
            const bool reset = s.m_pDriver->ResetDevice();
            if (!reset && s.m_bDisplay) s.ForgetTexturesAndMaterials();
            s.m_bDisplay = reset;
        }},

        // The closing.
        {"release everything", [](HostScenario& s) {
            s.ReleaseDeviceObjects();
            for (Material* material : {s.m_pMaterialA, s.m_pMaterialB, s.m_pCodeMaterial})
                if (material) s.m_pDriver->ReleaseMaterial(material);
            for (Texture* texture : s.m_Textures) s.m_pDriver->ReleaseTexture(texture);
            s.ForgetTexturesAndMaterials();
            for (ScreenQuad* quad : std::exchange(s.m_Quads, {})) s.m_pDriver->DestroyScreenQuad(quad);
        }},
        {"destroy driver", [](HostScenario& s) {
            delete s.m_pDriver;
            s.m_pDriver = nullptr, s.m_bDisplay = false;
        }, false},
        {"host ends", [](HostScenario& s) {
            if (!s.m_pKernel) return;
            s.m_Lines = s.m_pKernel->GetCapturedLines();
            delete std::exchange(s.m_pKernel, nullptr);
        }, false},
    };
    return steps;
}

}  // namespace orvsweep
