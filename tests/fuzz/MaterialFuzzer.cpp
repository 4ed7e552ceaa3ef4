// Material description files through the driver, as a host uses a material:
// loaded from the file, made current, drawn with (a small triangle from a
// vertex buffer and one from memory, in a frame), saved and read back, and
// released; once on each fuzzing adapter. What the file describes must come
// back from the saved file. The hosts have loaded the example
// materials first, so layers naming the example textures find them in the
// registry. Nothing stays alive.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <orv/D3D8Control.h>

#include "FuzzHost.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/Texture.h"
#include "host/Matrix3D.h"
#include "host/VertexBuffer.h"

namespace {

// The triangle each host draws with, by adapter.
VertexBuffer* g_Triangles[orvfuzz::kAdapterCount] = {};

// A triangle a few pixels wide near the middle of the display, with texture
// coordinates across the whole texture, in every vertex's three pairs.
VertexBuffer* SmallTriangle(RenderDevice* driver) {
    VertexBuffer* triangle = driver->CreateVertexBuffer(3, false, false);
    if (!triangle) orvfuzz::Fail("a vertex buffer");
    for (int i = 0; i < 3; ++i) {
        const float u = i == 1 ? 1.0f : 0.0f, v = i == 2 ? 1.0f : 0.0f;
        Vertex& vertex = triangle->GetVertices()[i];
        vertex.position = Vector3D(0.05f * u, 0.05f * v, 0.5f), vertex.normal = Vector3D(0.0f, 0.0f, -1.0f);
        vertex.diffuse = 0xFF808080u, vertex.u0 = vertex.u1 = vertex.u2 = u, vertex.v0 = vertex.v1 = vertex.v2 = v;
    }
    if (!triangle->Upload()) orvfuzz::Fail("the vertex buffer uploads");
    return triangle;
}

void Draw(const orvfuzz::FuzzHost& host, VertexBuffer* triangle, Material* material) {
    RenderDevice* driver = host.Driver();
    if (!driver->SetMaterial(material)) orvfuzz::Fail("a loaded material can be made current");
    driver->SetVertexBuffer(triangle);
    driver->BeginScene();
    driver->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1);
    driver->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, triangle->GetVertices());
    driver->EndScene();
    driver->SetMaterial(nullptr);
    orvd3d8::ClearDraws(host.Device());
}

// Numbers are written with six significant digits; numbers beyond what the
// writer can print so that they read back are not compared.
bool SameNumber(float written, float read) {
    if (!std::isfinite(written) || std::fabs(written) > 1e30f) return true;
    return std::fabs(written - read) <= 1e-5f * std::max(1.0f, std::fabs(written));
}

// A layer's texture is written as the name of its file (a sequence's first
// file), so the texture read back comes from the same file; it may be another
// texture object when the driver holds one registered under that name.
bool SameTextureFile(Texture* written, Texture* read) {
    return !written || !read ? written == read
                             : std::strcmp(written->GetFileName().c_str(), read->GetFileName().c_str()) == 0;
}

// A keyword value comes back when it names an entry of its table (0 to
// count - 1); an unknown keyword's value is written as a keyword the device
// treats alike.
bool SameKeyword(int written, int read, int count) { return written < 0 || written >= count || written == read; }

// What a material file describes comes back from the file the writer made:
// everything but the layers' blend factors, which the writer leaves out.
void RequireSameDescription(Material* written, Material* read) {
    if (written->GetCulling() != read->GetCulling() || written->GetFrameBlend() != read->GetFrameBlend() ||
        written->GetZWrite() != read->GetZWrite() ||
        !SameKeyword(written->GetZFunc(), read->GetZFunc(), COMPARE_COUNT))
        orvfuzz::Fail("a saved material reads back with its switches and depth test");
    for (Color (Material::*colour)() : {&Material::GetAmbient, &Material::GetDiffuse, &Material::GetSpecular,
                                        &Material::GetEmissive}) {
        const Color a = (written->*colour)(), b = (read->*colour)();
        if (!SameNumber(a.r, b.r) || !SameNumber(a.g, b.g) || !SameNumber(a.b, b.b))
            orvfuzz::Fail("a saved material reads back with its colours");
    }
    if (!SameNumber(written->GetShininess(), read->GetShininess()))
        orvfuzz::Fail("a saved material reads back with its shininess");
    if (written->GetLayerCount() != read->GetLayerCount())
        orvfuzz::Fail("a saved material reads back with its layers");
    const std::pair<int (MaterialLayer::*)(), int> keywords[] = {
        {&MaterialLayer::GetColorArg1, TEXTUREARG_COUNT}, {&MaterialLayer::GetColorArg2, TEXTUREARG_COUNT},
        {&MaterialLayer::GetAlphaArg1, TEXTUREARG_COUNT}, {&MaterialLayer::GetAlphaArg2, TEXTUREARG_COUNT},
        {&MaterialLayer::GetColorOp, TEXTUREOP_COUNT},    {&MaterialLayer::GetAlphaOp, TEXTUREOP_COUNT},
        {&MaterialLayer::GetAddressing, ADDRESS_COUNT}};
    for (int index = 0; index < written->GetLayerCount(); ++index) {
        MaterialLayer *a = written->GetLayer(index), *b = read->GetLayer(index);
        if (!a || !b) orvfuzz::Fail("every counted layer is there");
        bool same = SameTextureFile(a->GetTexture(), b->GetTexture()) && a->GetLighting() == b->GetLighting();
        for (const auto& [get, count] : keywords) same = same && SameKeyword((a->*get)(), (b->*get)(), count);
        if (!same) orvfuzz::Fail("a saved material's layers read back with their texture and settings");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Matrix3D identity;
    identity.SetIdentity();
    // The example materials of the build, as the demo host loads them.
    std::vector<std::string> examples;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ORV_EXAMPLES_DIR, error))
        if (entry.path().extension() == ".xml") examples.push_back(entry.path().filename().string());
    if (examples.empty()) orvfuzz::Fail("the example materials are built");
    for (unsigned adapter = 0; adapter < orvfuzz::kAdapterCount; ++adapter) {
        RenderDevice* driver = orvfuzz::FuzzHost::OnEveryAdapter()[adapter]->Driver();
        for (const std::string& example : examples)
            if (!driver->LoadMaterial(example.c_str())) orvfuzz::Fail("the example materials load");
        driver->SetWorldMatrix(&identity);
        driver->SetViewMatrix(&identity);
        driver->SetProjectionMatrix(&identity);
        g_Triangles[adapter] = SmallTriangle(driver);
    }
    orvfuzz::TakeBaseline();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = orvfuzz::WriteScratchFile("input.xml", data, size);
    const std::string saved = orvfuzz::ScratchDirectory() + "/saved.xml";
    for (unsigned adapter = 0; adapter < orvfuzz::kAdapterCount; ++adapter) {
        const orvfuzz::FuzzHost& host = *orvfuzz::FuzzHost::OnEveryAdapter()[adapter];
        RenderDevice* driver = host.Driver();
        Material* material = driver->LoadMaterial(path.c_str());
        if (!material) continue;
        Draw(host, g_Triangles[adapter], material);
        // What the writer makes of a material, the reader takes back.
        if (!material->SaveToFile(saved.c_str())) orvfuzz::Fail("a loaded material can be saved");
        Material* again = driver->LoadMaterial(saved.c_str());
        if (!again) orvfuzz::Fail("a saved material loads");
        RequireSameDescription(material, again);
        Draw(host, g_Triangles[adapter], again);
        driver->ReleaseMaterial(again);
        driver->ReleaseMaterial(material);
    }
    orvfuzz::RequireNothingLeft("a material file");
    return 0;
}
