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

using orvtest::WriteFileBytes;

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
        WriteFileBytes(files.images.back(), image.bytes);
    }
    for (const char* frame : {"seq0.png", "seq1.png", "seq2.png"})
        WriteFileBytes(at(frame), PngFile(PNG_COLOR_TYPE_RGB, 8, kSide, kSide, false, false).bytes);
    files.sequence = at("seq0.png");
    files.zar = at("plain.zar");
    WriteFileBytes(files.zar, orvtest::NoiseZar(kSide, kSide, 0x0009, 4, {60, 60, 60}, 3).Bytes());
    files.zarBlocks = at("blocks.zar");
    WriteFileBytes(files.zarBlocks, orvtest::DxtZar(1, kSide, kSide, 2, 0, 11).Bytes());
    // Material A loads a file of its own and shares the sequence; material B
    // shares the ZAR file and the JPEG file, lit in a pass of its own.
    const std::string layerFile = at("layer.bmp");
    WriteFileBytes(layerFile, BmpFile(Bmp::Palette4, kSide, kSide, true).bytes);
    files.materialA = at("a.xml");
    WriteFileBytes(
        files.materialA, "<Shader Diffuse=\"1 1 1\">\n  <Layer Map=\"" + layerFile +
                             "\"/>\n  <Layer MapSequence=\"" + files.sequence +
                             "\" ColorOp=\"add\" ColorArg2=\"current\"/>\n</Shader>\n");
    files.materialB = at("b.xml");
    WriteFileBytes(
        files.materialB, "<Shader ZWrite=\"Disable\" Cull=\"Disable\">\n  <Layer Map=\"" +
                             files.zar + "\" AlphaOp=\"selectarg1\"/>\n  <Layer Map=\"" +
                             files.images.back() +
                             "\" Lighting=\"Enable\" SrcBlend=\"dest_color\" DestBlend=\"zero\"/>\n"
                             "</Shader>\n");
    files.codeLayer = at("code.tga");
    WriteFileBytes(files.codeLayer, TgaFile(Tga::Grey8, kSide, kSide, false, true).bytes);
    files.screenshot = at("screenshot.bmp");
    return files;
}

// The steps that more than one place takes, and their helpers.
struct HostScenario::Steps {
    static Texture* Keep(HostScenario& s, Texture* texture) {
        if (texture) s.m_Textures.push_back(texture);
        return texture;
    }
    static void ForgetTexturesAndMaterials(HostScenario& s) {
        s.m_Textures.clear();
        s.m_pSequence = s.m_pZar = s.m_pZarBlocks = s.m_pFilled = nullptr;
        s.m_pMaterialA = s.m_pMaterialB = s.m_pCodeMaterial = nullptr;
    }

    // What belongs to one device: the buffers and the host's font.
    static void MakeDeviceObjects(HostScenario& s) {
        s.m_pFont = s.m_pDriver->CreateTextFont("Arial", 10, false, true);
        if ((s.m_pVertices = s.m_pDriver->CreateVertexBuffer(6, false, false))) {
            Square(s.m_pVertices->GetVertices(), 0.0f, 6.0f, 0xFFFFFFFF);
            s.m_pVertices->Upload();
        }
        s.m_pDynamic = s.m_pDriver->CreateVertexBuffer(6, true, false);
        if ((s.m_pIndices = s.m_pDriver->CreateIndexBuffer(6, false))) {
            const unsigned short indices[6] = {0, 1, 2, 3, 4, 5};
            std::copy(indices, indices + 6, s.m_pIndices->GetIndices());
            s.m_pIndices->Upload();
        }
    }
    static void ReleaseDeviceObjects(HostScenario& s) {
        s.m_pDriver->SetVertexBuffer(nullptr);
        s.m_pDriver->SetIndexBuffer(nullptr);
        if (s.m_pFont) s.m_pDriver->DestroyTextFont(s.m_pFont);
        for (VertexBuffer* buffer : {s.m_pVertices, s.m_pDynamic})
            if (buffer) s.m_pDriver->DestroyVertexBuffer(buffer);
        if (s.m_pIndices) s.m_pDriver->DestroyIndexBuffer(s.m_pIndices);
        s.m_pFont = nullptr;
        s.m_pVertices = s.m_pDynamic = nullptr;
        s.m_pIndices = nullptr;
    }
    static void ResetDevice(HostScenario& s) {
        const bool reset = s.m_pDriver->ResetDevice();
        // Without a display the driver refuses and destroys nothing; with one, a
        // failed reset destroyed every texture and material.
        if (!reset && s.m_bDisplay) ForgetTexturesAndMaterials(s);
        s.m_bDisplay = reset;
    }
};

HostScenario::HostScenario(const ScenarioFiles& files) : m_Files(files) {
    orvtest::LoadPlugin();
    orvplatform::SetTickCount(kStartTick);
}

HostScenario::~HostScenario() {
    for (const Step& step : Closing()) Run(step);
}

const std::vector<HostScenario::Step>& HostScenario::Session() {
    static const std::vector<Step> session = [] {
        const Step release = {"release device objects", &Steps::ReleaseDeviceObjects};
        const Step reset = {"ResetDevice", &Steps::ResetDevice};
        const Step make = {"make device objects", &Steps::MakeDeviceObjects};
        const Step screenshot = {"SaveScreenShot", [](HostScenario& s) {
            s.m_pDriver->SaveScreenShot(s.m_Files.screenshot.c_str());
        }};
        const Step dumps = {"state dumps", [](HostScenario& s) {
            s.m_pDriver->DumpRenderStates();
            s.m_pDriver->DumpTextureStageStates(0);
        }};
        const Step fullScreen = {"full-screen SetDisplayMode", [](HostScenario& s) {
            s.m_bDisplay = s.m_pDriver->SetDisplayMode(kFullWidth, kFullHeight, kFullBits, kFullRate, 0, false);
        }};
        std::vector<Step> steps = Opening();
        const std::vector<Step> frame = OneFrame();
        const auto add = [&steps](const std::vector<Step>& more) { steps.insert(steps.end(), more.begin(), more.end()); };
        add(frame);
        add({screenshot, dumps, release, reset, make});
        add(frame);
        add({release, fullScreen, reset, make});
        add(frame);
        add(Closing());
        return steps;
    }();
    return session;
}

std::vector<HostScenario::Step> HostScenario::Opening() {
    return {
        {"host starts", [](HostScenario& s) {
            s.m_pKernel = new Kernel(nullptr, false);
            s.m_pKernel->SetCapture(true);
        }, false},
        {"CreatePlugin", [](HostScenario& s) {
            if (s.m_pKernel) s.m_pDriver = orvtest::LoadPlugin().createPlugin(s.m_pKernel);
        }, false},
        {"adapters and modes", [](HostScenario& s) {
            for (unsigned adapter = 0, adapters = s.m_pDriver->GetAdapterCount(); adapter < adapters; ++adapter) {
                AdapterInfo info;
                s.m_pDriver->GetAdapterInfo(adapter, &info);
                for (unsigned index = 0, modes = s.m_pDriver->GetDisplayModeCount(adapter); index < modes; ++index) {
            DisplayMode mode;
            s.m_pDriver->GetDisplayModeInfo(adapter, index, &mode);
                }
            }
        }},
        {"windowed SetDisplayMode", [](HostScenario& s) {
            s.m_pDriver->SetTextureBitDepth(32);
            s.m_bDisplay = s.m_pDriver->SetDisplayMode(kWindowWidth, kWindowHeight, 32, 0, 0, true);
        }},
        {"image file textures", [](HostScenario& s) {
            bool mipmaps = false;
            for (const std::string& image : s.m_Files.images) {
                Steps::Keep(s, s.m_pDriver->CreateTextureFromFile(image.c_str(), mipmaps, false));
                mipmaps = !mipmaps;
            }
        }},
        {"sequence texture", [](HostScenario& s) {
            s.m_pSequence = Steps::Keep(s, s.m_pDriver->CreateTextureFromFileSequence(s.m_Files.sequence.c_str(), 12,
                                                                         false, false));
        }},
        {"ZAR texture", [](HostScenario& s) {
            s.m_pZar = Steps::Keep(s, s.m_pDriver->CreateTextureFromFile(s.m_Files.zar.c_str(), true, false));
        }},
        {"DXT ZAR texture", [](HostScenario& s) {
            s.m_pZarBlocks = Steps::Keep(s, s.m_pDriver->CreateTextureFromFile(s.m_Files.zarBlocks.c_str(), false, false));
        }},
        // Two frames the host paints itself and uploads in parts.
        {"filled texture", [](HostScenario& s) {
            constexpr unsigned kFilledSide = 32;
            Texture* filled = s.m_pFilled = Steps::Keep(s, s.m_pDriver->CreateTexture(kFilledSide, kFilledSide, false, 2));
            if (!filled) return;
            for (unsigned frame = 0; frame < 2; ++frame)
                for (unsigned y = 0; y < kFilledSide; ++y)
            for (unsigned x = 0; x < kFilledSide; ++x)
                filled->SetPixel(x, y, 0xFF000000u | (x * 8) << 16 | (y * 8) << 8 | frame * 255, frame);
            filled->UpdateRect(0, 0, 0, kFilledSide / 2, kFilledSide / 2, true);
            filled->UpdateRect(1, 8, 8, kFilledSide, kFilledSide);
            filled->UpdateAllFrames(true);
        }},
        {"material file A", [](HostScenario& s) {
            s.m_pMaterialA = s.m_pDriver->LoadMaterial(s.m_Files.materialA.c_str());
        }},
        {"material file B", [](HostScenario& s) {
            s.m_pMaterialB = s.m_pDriver->LoadMaterial(s.m_Files.materialB.c_str());
        }},
        // The filled texture modulated by the diffuse colour, then a file of its
        // own added on in the same pass.
        {"material from code", [](HostScenario& s) {
            Material* material = s.m_pCodeMaterial = s.m_pDriver->CreateMaterial();
            if (!material) return;
            material->SetDiffuse(0.8f, 0.9f, 1.0f);
            material->SetCulling(false);
            material->SetZWrite(false);
            if (s.m_pFilled) material->AddLayer(s.m_pFilled);
            if (MaterialLayer* layer = material->AddLayer(s.m_Files.codeLayer.c_str())) {
                layer->SetColorOp(6);  // add
                layer->SetColorArg2(0);  // current
                layer->SetAddressing(1);  // mirror
            }
        }},
        {"screen quads", [](HostScenario& s) {
            for (const RECT& rect : kQuadRects)
                if (ScreenQuad* quad = s.m_pDriver->CreateScreenQuad(rect, 0xFFFFFFFF)) s.m_Quads.push_back(quad);
            if (!s.m_Quads.empty()) s.m_Quads[0]->SetTexCoords(0, 0, 2, 0, 2, 2, 0, 2);
        }},
        {"make device objects", &Steps::MakeDeviceObjects},
    };
}

std::vector<HostScenario::Step> HostScenario::OneFrame() {
    return {
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
            const Matrix3D identity;
            const Matrix3D projection = driver->BuildPerspectiveMatrix(0.8f, 4.0f / 3.0f);
            driver->SetWorldMatrix(&world);
            driver->SetViewMatrix(&identity);
            driver->SetProjectionMatrix(&projection);
            LightDesc light = {};
            light.type = LIGHT_DIRECTIONAL;
            light.diffuse = light.specular = 0xFFFFFFFF;
            light.range = 100.0f;
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
    };
}

std::vector<HostScenario::Step> HostScenario::Closing() {
    return {
        {"release everything", [](HostScenario& s) {
            Steps::ReleaseDeviceObjects(s);
            for (Material* material : {s.m_pMaterialA, s.m_pMaterialB, s.m_pCodeMaterial})
                if (material) s.m_pDriver->ReleaseMaterial(material);
            for (Texture* texture : s.m_Textures) s.m_pDriver->ReleaseTexture(texture);
            Steps::ForgetTexturesAndMaterials(s);
            for (ScreenQuad* quad : s.m_Quads) s.m_pDriver->DestroyScreenQuad(quad);
            s.m_Quads.clear();
        }},
        {"destroy driver", [](HostScenario& s) {
            delete s.m_pDriver;
            s.m_pDriver = nullptr;
            s.m_bDisplay = false;
        }, false},
        {"host ends", [](HostScenario& s) {
            if (!s.m_pKernel) return;
            s.m_Lines = s.m_pKernel->GetCapturedLines();
            delete s.m_pKernel;
            s.m_pKernel = nullptr;
        }, false},
    };
}

const std::vector<std::string>& HostScenario::Lines() const {
    return m_pKernel ? m_pKernel->GetCapturedLines() : m_Lines;
}

}  // namespace orvsweep
