#include "HostScenario.h"

#include <png.h>

#include <cmath>

#include <orv/PlatformControl.h>

#include "host/Font.h"
#include "host/IndexBuffer.h"
#include "host/Kernel.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/RenderDevice.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"
#include "support/ImageFiles.h"
#include "support/PluginHarness.h"
#include "texture/TextureTestSupport.h"

namespace orvsweep {

namespace {

// A windowed display smaller than the desktop, then a full-screen mode of
// the adapter's list.
constexpr unsigned kWindowWidth = 256, kWindowHeight = 192;
constexpr unsigned kFullWidth = 640, kFullHeight = 480, kFullBits = 32, kFullRate = 60;
// Each frame moves the stand-in's clock on by this much: the animated
// textures change frame every few frames.
constexpr uint32_t kFrameMilliseconds = 40;
constexpr uint32_t kStartTick = 100000;
constexpr unsigned kSide = 16;  // of every texture file

// Engine numbers the host uses (render state 0 is depth test; stage state 0
// is the colour operation, 0 disables it; primitive type 3 is a triangle list).
constexpr unsigned kColourOp = 0, kDisable = 0;

const RECT kQuadRects[] = {{8, 40, 56, 88}, {64, 40, 112, 88}, {120, 40, 168, 88},
                           {176, 40, 224, 88}};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    orvtest::WriteBytes(path, bytes);
}

void WriteFile(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A ZAR file of `frames` frames of DXT1 blocks, each shown 80 ms.
orvtest::ZarFile BlockZar(unsigned frames) {
    orvtest::ZarFile file;
    file.width = file.height = kSide;
    file.compression = 1;
    file.frameCount = static_cast<uint8_t>(frames);
    file.durations.assign(frames, 80);
    const size_t blockBytes = 8 * (kSide / 4) * (kSide / 4);
    file.payload = orvtest::NoiseBytes(blockBytes * frames, 11);
    return file;
}

// Two triangles of a square in front of the camera, turned by `angle`.
void Square(Vertex* out, float angle, float z, uint32_t colour) {
    const float c = std::cos(angle), s = std::sin(angle);
    const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) {
        const float x = corners[order[i]][0], y = corners[order[i]][1];
        Vertex& v = out[i];
        v.position = Vector3D(x * c - y * s, x * s + y * c, z);
        v.normal = Vector3D(0, 0, -1);
        v.diffuse = colour;
        v.u0 = v.u1 = v.u2 = (x + 1) / 2;
        v.v0 = v.v1 = v.v2 = (1 - y) / 2;
    }
}

}  // namespace

ScenarioFiles WriteScenarioFiles(const std::string& directory) {
    ScenarioFiles files;
    const auto at = [&directory](const char* name) { return directory + "/" + name; };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } images[] = {
        {"image.bmp", BmpFile(Bmp::Rgb24, kSide, kSide, false).bytes},
        {"image.dib", BmpFile(Bmp::Palette8, kSide, kSide, false, false).bytes},
        {"image.tga", TgaFile(Tga::Argb32, kSide, kSide, true, false).bytes},
        {"image.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, kSide, kSide, false, false).bytes},
        {"image.dds", DdsFile(D3DFMT_A8R8G8B8, kSide, kSide, 2).bytes},
        {"blocks.dds", DdsBlockFile(D3DFMT_DXT5, kSide, kSide, 3, 5)},
        {"image.jpg", JpegFile(false, false, kSide, kSide).bytes},
    };
    for (const auto& image : images) {
        files.images.push_back(at(image.name));
        WriteFile(files.images.back(), image.bytes);
    }
    for (const char* frame : {"seq0.png", "seq1.png", "seq2.png"})
        WriteFile(at(frame), PngFile(PNG_COLOR_TYPE_RGB, 8, kSide, kSide, false, false).bytes);
    files.sequence = at("seq0.png");
    files.zar = at("plain.zar");
    WriteFile(files.zar, orvtest::NoiseZar(kSide, kSide, 0x0009, 4, {60, 60, 60}, 3).Bytes());
    files.zarBlocks = at("blocks.zar");
    WriteFile(files.zarBlocks, BlockZar(2).Bytes());
    // Material A loads a file of its own and shares the sequence; material B
    // shares the ZAR file and the JPEG file, lit in a pass of its own.
    const std::string layerFile = at("layer.bmp");
    WriteFile(layerFile, BmpFile(Bmp::Palette4, kSide, kSide, true).bytes);
    files.materialA = at("a.xml");
    WriteFile(
        files.materialA, "<Shader Diffuse=\"1 1 1\">\n  <Layer Map=\"" + layerFile +
                             "\"/>\n  <Layer MapSequence=\"" + files.sequence +
                             "\" ColorOp=\"add\" ColorArg2=\"current\"/>\n</Shader>\n");
    files.materialB = at("b.xml");
    WriteFile(
        files.materialB, "<Shader ZWrite=\"Disable\" Cull=\"Disable\">\n  <Layer Map=\"" +
                             files.zar + "\" AlphaOp=\"selectarg1\"/>\n  <Layer Map=\"" +
                             files.images.back() +
                             "\" Lighting=\"Enable\" SrcBlend=\"dest_color\" DestBlend=\"zero\"/>\n"
                             "</Shader>\n");
    files.codeLayer = at("code.tga");
    WriteFile(files.codeLayer, TgaFile(Tga::Grey8, kSide, kSide, false, true).bytes);
    files.screenshot = at("screenshot.bmp");
    return files;
}

HostScenario::HostScenario(const ScenarioFiles& files) : m_Files(files) {
    orvtest::LoadPlugin();
    orvplatform::SetTickCount(kStartTick);
}

HostScenario::~HostScenario() {
    ReleaseEverything();
    DestroyDriver();
    EndHost();
}

const std::vector<HostScenario::Step>& HostScenario::Session() {
    static const std::vector<Step> session = [] {
        std::vector<Step> steps = Opening();
        const std::vector<Step> frame = OneFrame();
        const auto frames = [&steps, &frame](int count) {
            for (int i = 0; i < count; ++i) steps.insert(steps.end(), frame.begin(), frame.end());
        };
        frames(1);
        const std::vector<Step> middle = {
            {"SaveScreenShot", &HostScenario::SaveScreenshot},
            {"state dumps", &HostScenario::DumpStates},
            {"release device objects", &HostScenario::ReleaseDeviceObjects},
            {"ResetDevice", &HostScenario::ResetDevice},
            {"make device objects", &HostScenario::MakeDeviceObjects},
        };
        steps.insert(steps.end(), middle.begin(), middle.end());
        frames(1);
        const std::vector<Step> secondMode = {
            {"release device objects", &HostScenario::ReleaseDeviceObjects},
            {"full-screen SetDisplayMode", &HostScenario::SetFullScreenMode},
            {"ResetDevice", &HostScenario::ResetDevice},
            {"make device objects", &HostScenario::MakeDeviceObjects},
        };
        steps.insert(steps.end(), secondMode.begin(), secondMode.end());
        frames(1);
        const std::vector<Step> closing = Closing();
        steps.insert(steps.end(), closing.begin(), closing.end());
        return steps;
    }();
    return session;
}

std::vector<HostScenario::Step> HostScenario::Opening() {
    return {
        {"host starts", &HostScenario::StartHost},
        {"CreatePlugin", &HostScenario::LoadPlugin},
        {"adapters and modes", &HostScenario::ListAdapters},
        {"windowed SetDisplayMode", &HostScenario::SetWindowedDisplay},
        {"image file textures", &HostScenario::LoadImageTextures},
        {"sequence texture", &HostScenario::LoadSequence},
        {"ZAR texture", &HostScenario::LoadZar},
        {"DXT ZAR texture", &HostScenario::LoadZarBlocks},
        {"filled texture", &HostScenario::CreateFilledTexture},
        {"material file A", &HostScenario::LoadMaterialA},
        {"material file B", &HostScenario::LoadMaterialB},
        {"material from code", &HostScenario::BuildCodeMaterial},
        {"screen quads", &HostScenario::MakeQuads},
        {"make device objects", &HostScenario::MakeDeviceObjects},
    };
}

std::vector<HostScenario::Step> HostScenario::OneFrame() {
    return {
        {"BeginScene", &HostScenario::BeginFrame},
        {"Clear", &HostScenario::ClearFrame},
        {"draw material A", &HostScenario::DrawMaterialA},
        {"draw material B indexed", &HostScenario::DrawMaterialBIndexed},
        {"draw vertices", &HostScenario::DrawCodeMaterialVertices},
        {"draw dynamic buffer", &HostScenario::DrawDynamicBuffer},
        {"draw quads", &HostScenario::DrawQuads},
        {"font Print", &HostScenario::PrintWithFont},
        {"PrintText", &HostScenario::QueueText},
        {"EndScene", &HostScenario::EndFrame},
    };
}

std::vector<HostScenario::Step> HostScenario::Closing() {
    return {
        {"release everything", &HostScenario::ReleaseEverything},
        {"destroy driver", &HostScenario::DestroyDriver},
        {"host ends", &HostScenario::EndHost},
    };
}

const std::vector<std::string>& HostScenario::Lines() const {
    return m_pKernel ? m_pKernel->GetCapturedLines() : m_Lines;
}

// ---- Start ---------------------------------------------------------------------

void HostScenario::StartHost() {
    m_pKernel = new Kernel(nullptr, false);
    m_pKernel->SetCapture(true);
}

void HostScenario::LoadPlugin() {
    if (m_pKernel) m_pDriver = orvtest::LoadPlugin().createPlugin(m_pKernel);
}

void HostScenario::ListAdapters() {
    if (!m_pDriver) return;
    const unsigned adapters = m_pDriver->GetAdapterCount();
    for (unsigned adapter = 0; adapter < adapters; ++adapter) {
        AdapterInfo info;
        m_pDriver->GetAdapterInfo(adapter, &info);
        const unsigned modes = m_pDriver->GetDisplayModeCount(adapter);
        for (unsigned index = 0; index < modes; ++index) {
            DisplayMode mode;
            m_pDriver->GetDisplayModeInfo(adapter, index, &mode);
        }
    }
}

void HostScenario::SetWindowedDisplay() {
    if (!m_pDriver) return;
    m_pDriver->SetTextureBitDepth(32);
    m_bDisplay = m_pDriver->SetDisplayMode(kWindowWidth, kWindowHeight, 32, 0, 0, true);
}

// ---- Textures and materials ----------------------------------------------------

void HostScenario::LoadImageTextures() {
    if (!m_pDriver) return;
    bool mipmaps = false;
    for (const std::string& image : m_Files.images) {
        if (Texture* texture = m_pDriver->CreateTextureFromFile(image.c_str(), mipmaps, false))
            m_Textures.push_back(texture);
        mipmaps = !mipmaps;
    }
}

void HostScenario::LoadSequence() {
    if (!m_pDriver) return;
    m_pSequence = m_pDriver->CreateTextureFromFileSequence(m_Files.sequence.c_str(), 12, false, false);
    if (m_pSequence) m_Textures.push_back(m_pSequence);
}

void HostScenario::LoadZar() {
    if (!m_pDriver) return;
    m_pZar = m_pDriver->CreateTextureFromFile(m_Files.zar.c_str(), true, false);
    if (m_pZar) m_Textures.push_back(m_pZar);
}

void HostScenario::LoadZarBlocks() {
    if (!m_pDriver) return;
    m_pZarBlocks = m_pDriver->CreateTextureFromFile(m_Files.zarBlocks.c_str(), false, false);
    if (m_pZarBlocks) m_Textures.push_back(m_pZarBlocks);
}

// Two frames the host paints itself and uploads in parts.
void HostScenario::CreateFilledTexture() {
    if (!m_pDriver) return;
    constexpr unsigned kFilledSide = 32;
    m_pFilled = m_pDriver->CreateTexture(kFilledSide, kFilledSide, false, 2);
    if (!m_pFilled) return;
    m_Textures.push_back(m_pFilled);
    for (unsigned frame = 0; frame < 2; ++frame)
        for (unsigned y = 0; y < kFilledSide; ++y)
            for (unsigned x = 0; x < kFilledSide; ++x)
                m_pFilled->SetPixel(x, y, 0xFF000000u | (x * 8) << 16 | (y * 8) << 8 | frame * 255,
                                    frame);
    m_pFilled->UpdateRect(0, 0, 0, kFilledSide / 2, kFilledSide / 2, true);
    m_pFilled->UpdateRect(1, 8, 8, kFilledSide, kFilledSide);
    m_pFilled->UpdateAllFrames(true);
}

void HostScenario::LoadMaterialA() {
    if (m_pDriver) m_pMaterialA = m_pDriver->LoadMaterial(m_Files.materialA.c_str());
}

void HostScenario::LoadMaterialB() {
    if (m_pDriver) m_pMaterialB = m_pDriver->LoadMaterial(m_Files.materialB.c_str());
}

// The filled texture modulated by the diffuse colour, then a file of its own
// added on in the same pass.
void HostScenario::BuildCodeMaterial() {
    if (!m_pDriver) return;
    m_pCodeMaterial = m_pDriver->CreateMaterial();
    if (!m_pCodeMaterial) return;
    m_pCodeMaterial->SetDiffuse(0.8f, 0.9f, 1.0f);
    m_pCodeMaterial->SetCulling(false);
    m_pCodeMaterial->SetZWrite(false);
    if (m_pFilled) m_pCodeMaterial->AddLayer(m_pFilled);
    if (MaterialLayer* layer = m_pCodeMaterial->AddLayer(m_Files.codeLayer.c_str())) {
        layer->SetColorOp(6);  // add
        layer->SetColorArg2(0);  // current
        layer->SetAddressing(1);  // mirror
    }
}

void HostScenario::ForgetTexturesAndMaterials() {
    m_Textures.clear();
    m_pSequence = m_pZar = m_pZarBlocks = m_pFilled = nullptr;
    m_pMaterialA = m_pMaterialB = m_pCodeMaterial = nullptr;
}

// ---- Quads, buffers and the font -------------------------------------------------

void HostScenario::MakeQuads() {
    if (!m_pDriver) return;
    for (const RECT& rect : kQuadRects)
        if (ScreenQuad* quad = m_pDriver->CreateScreenQuad(rect, 0xFFFFFFFF)) m_Quads.push_back(quad);
    if (!m_Quads.empty()) m_Quads[0]->SetTexCoords(0, 0, 2, 0, 2, 2, 0, 2);
}

// What belongs to one device: the buffers and the host's font.
void HostScenario::MakeDeviceObjects() {
    if (!m_pDriver) return;
    m_pFont = m_pDriver->CreateTextFont("Arial", 10, false, true);
    m_pVertices = m_pDriver->CreateVertexBuffer(6, false, false);
    if (m_pVertices) {
        Square(m_pVertices->GetVertices(), 0.0f, 6.0f, 0xFFFFFFFF);
        m_pVertices->Upload();
    }
    m_pDynamic = m_pDriver->CreateVertexBuffer(6, true, false);
    m_pIndices = m_pDriver->CreateIndexBuffer(6, false);
    if (m_pIndices) {
        const unsigned short indices[6] = {0, 1, 2, 3, 4, 5};
        std::copy(indices, indices + 6, m_pIndices->GetIndices());
        m_pIndices->Upload();
    }
}

void HostScenario::ReleaseDeviceObjects() {
    if (!m_pDriver) return;
    m_pDriver->SetVertexBuffer(nullptr);
    m_pDriver->SetIndexBuffer(nullptr);
    if (m_pFont) m_pDriver->DestroyTextFont(m_pFont);
    if (m_pVertices) m_pDriver->DestroyVertexBuffer(m_pVertices);
    if (m_pDynamic) m_pDriver->DestroyVertexBuffer(m_pDynamic);
    if (m_pIndices) m_pDriver->DestroyIndexBuffer(m_pIndices);
    m_pFont = nullptr;
    m_pVertices = m_pDynamic = nullptr;
    m_pIndices = nullptr;
}

// ---- A frame -------------------------------------------------------------------

void HostScenario::BeginFrame() {
    if (!m_pDriver) return;
    ++m_Frame;
    orvplatform::AdvanceTickCount(kFrameMilliseconds);
    m_pDriver->BeginScene();
}

void HostScenario::ClearFrame() {
    if (!m_pDriver) return;
    m_pDriver->SetClearColor(m_pDriver->ToD3DColor(Color(0.1f, 0.2f, 0.3f, 1.0f)));
    m_pDriver->Clear(true, true, false);
}

// Transforms and a light, then material A over the static buffer.
void HostScenario::DrawMaterialA() {
    if (!m_pDriver) return;
    const float angle = 0.05f * static_cast<float>(m_Frame);
    const Matrix3D world(std::cos(angle), std::sin(angle), 0, 0, -std::sin(angle), std::cos(angle),
                         0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const Matrix3D identity;
    const Matrix3D projection = m_pDriver->BuildPerspectiveMatrix(0.8f, 4.0f / 3.0f);
    m_pDriver->SetWorldMatrix(&world);
    m_pDriver->SetViewMatrix(&identity);
    m_pDriver->SetProjectionMatrix(&projection);
    LightDesc light = {};
    light.type = 2;  // directional
    light.diffuse = light.specular = 0xFFFFFFFF;
    light.range = 100.0f;
    light.direction = Vector3D(0, 0, 1);
    m_pDriver->SetLight(0, &light);
    m_pDriver->EnableLight(0, true);
    m_pDriver->SetAmbient(0xFF404040);
    m_pDriver->SetLighting(true);
    m_pDriver->SetMaterial(m_pMaterialA);
    if (!m_pVertices) return;
    m_pDriver->SetVertexBuffer(m_pVertices);
    m_pDriver->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
}

void HostScenario::DrawMaterialBIndexed() {
    if (!m_pDriver) return;
    m_pDriver->SetMaterial(m_pMaterialB);
    if (!m_pVertices || !m_pIndices) return;
    m_pDriver->SetVertexBuffer(m_pVertices);
    m_pDriver->SetIndexBuffer(m_pIndices);
    m_pDriver->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 0, 2, 0);
    m_pDriver->SetIndexBuffer(nullptr);
}

void HostScenario::DrawCodeMaterialVertices() {
    if (!m_pDriver) return;
    Vertex square[6];
    Square(square, -0.03f * static_cast<float>(m_Frame), 8.0f, 0xC0FFFFFF);
    m_pDriver->SetMaterial(m_pCodeMaterial);
    m_pDriver->RenderVertices(PRIMITIVE_TRIANGLELIST, 2, square);
}

// A buffer written every frame, drawn without a material.
void HostScenario::DrawDynamicBuffer() {
    if (!m_pDriver) return;
    m_pDriver->SetMaterial(nullptr);
    m_pDriver->SetLighting(false);
    if (!m_pDynamic) return;
    Square(m_pDynamic->GetVertices(), 0.1f * static_cast<float>(m_Frame), 10.0f, 0x80FF8040);
    if (!m_pDynamic->Upload()) return;
    m_pDriver->SetVertexBuffer(m_pDynamic);
    m_pDriver->RenderVertexBuffer(PRIMITIVE_TRIANGLESTRIP, 2);
    m_pDriver->SetVertexBuffer(nullptr);
}

// Every texture on a quad, the animated ones at the frame the clock chooses.
void HostScenario::DrawQuads() {
    if (!m_pDriver) return;
    m_pDriver->SetMaterial(nullptr);
    m_pDriver->SetTextureStageState(1, kColourOp, kDisable);
    m_pDriver->SetZEnable(false);
    for (size_t i = 0; i < m_Textures.size() && !m_Quads.empty(); ++i) {
        m_pDriver->SetTexture(0, m_Textures[i]);
        m_Textures[i]->GetCurrentFrame();
        m_pDriver->RenderScreenQuad(m_Quads[i % m_Quads.size()]);
    }
    m_pDriver->SetTexture(0, nullptr);
    m_pDriver->SetZEnable(true);
}

// Frame numbers are printed at a fixed width: every frame draws as many
// characters (the stand-in keeps the draws' vertices).
void HostScenario::PrintWithFont() {
    if (!m_pFont) return;
    const int width = m_pFont->GetTextWidth("frame %05u", m_Frame);
    m_pFont->Print(kWindowWidth - width - 8, kWindowHeight - 20, 0xFFFFFF00, "frame %05u", m_Frame);
}

void HostScenario::QueueText() {
    if (!m_pDriver) return;
    m_pDriver->PrintText(8, 8, "Frame %05u, %u triangles", m_Frame, m_pDriver->GetTriangleCount());
    m_pDriver->PrintText(8, 24, "Textures %zu, 100%% careful", m_Textures.size());
}

void HostScenario::EndFrame() {
    if (m_pDriver) m_pDriver->EndScene();
}

// ---- Screenshot, dumps, reset, a second mode -------------------------------------

void HostScenario::SaveScreenshot() {
    if (m_pDriver) m_pDriver->SaveScreenShot(m_Files.screenshot.c_str());
}

void HostScenario::DumpStates() {
    if (!m_pDriver) return;
    m_pDriver->DumpRenderStates();
    m_pDriver->DumpTextureStageStates(0);
}

void HostScenario::ResetDevice() {
    if (!m_pDriver) return;
    const bool reset = m_pDriver->ResetDevice();
    // Without a display the driver refuses and destroys nothing; with one, a
    // failed reset destroyed every texture and material.
    if (!reset && m_bDisplay) ForgetTexturesAndMaterials();
    m_bDisplay = reset;
}

void HostScenario::SetFullScreenMode() {
    if (m_pDriver)
        m_bDisplay = m_pDriver->SetDisplayMode(kFullWidth, kFullHeight, kFullBits, kFullRate, 0, false);
}

// ---- The end ---------------------------------------------------------------------

void HostScenario::ReleaseEverything() {
    if (!m_pDriver) return;
    ReleaseDeviceObjects();
    for (Material* material : {m_pMaterialA, m_pMaterialB, m_pCodeMaterial})
        if (material) m_pDriver->ReleaseMaterial(material);
    for (Texture* texture : m_Textures) m_pDriver->ReleaseTexture(texture);
    ForgetTexturesAndMaterials();
    for (ScreenQuad* quad : m_Quads) m_pDriver->DestroyScreenQuad(quad);
    m_Quads.clear();
}

void HostScenario::DestroyDriver() {
    delete m_pDriver;
    m_pDriver = nullptr;
    m_bDisplay = false;
}

void HostScenario::EndHost() {
    if (!m_pKernel) return;
    m_Lines = m_pKernel->GetCapturedLines();
    delete m_pKernel;
    m_pKernel = nullptr;
}

}  // namespace orvsweep
